// A movie opened for conversion: any wrapping the player takes, or a bare
// movie file, read whole through the one way to a movie's bytes; a
// decompressed movie file never has a name, so that a conversion that is
// killed leaves nothing behind either. Salvaged, it is held in memory.
#pragma once

#include <string>

#include "MoviePlayback.h"

class TMovieSource {
 public:
  // With `salvage`, what can still be played of a damaged movie, as the
  // rescue keeps it. Throws platform::Exception with a message that says
  // what is wrong.
  explicit TMovieSource(const std::string& path, bool salvage = false);
  ~TMovieSource();
  TMovieSource(const TMovieSource&) = delete;
  TMovieSource& operator=(const TMovieSource&) = delete;

  TMoviePlayback& Playback() { return playback_; }
  // What salvage found damaged and repaired, in a line; empty when nothing was.
  const std::string& Repairs() const { return repairs_; }

 private:
  TMoviePlayback playback_;
  std::string repairs_;
};
