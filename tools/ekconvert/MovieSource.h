// A movie opened for conversion: any wrapping the player takes, or a bare
// movie file, extracted into a private folder of its own that is removed
// again when the source goes.
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
  // Removed with everything in it when the source goes, also when opening fails.
  struct TPrivateFolder {
    std::string path;
    ~TPrivateFolder();
  };

  TPrivateFolder folder_;
  TMoviePlayback playback_;
};
