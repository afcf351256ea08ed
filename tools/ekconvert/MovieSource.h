// A movie opened for conversion: any wrapping the player takes, or a bare
// movie file, read whole through the one way to a movie's bytes; a
// decompressed movie file never has a name, so that a conversion that is
// killed leaves nothing behind either.
#pragma once

#include <string>

#include "MoviePlayback.h"

class TMovieSource {
 public:
  // Throws platform::Exception with a message that says what is wrong.
  explicit TMovieSource(const std::string& path);
  ~TMovieSource();
  TMovieSource(const TMovieSource&) = delete;
  TMovieSource& operator=(const TMovieSource&) = delete;

  TMoviePlayback& Playback() { return playback_; }

 private:
  TMoviePlayback playback_;
};
