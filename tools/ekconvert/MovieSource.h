// A movie opened for conversion: any wrapping the player takes, or a bare
// movie file, extracted into a private folder of its own that is removed
// again when the source goes.
#pragma once

#include <string>

#include "MoviePlayback.h"

class TMovieSource {
 public:
  enum class TReading { Everything, FileOnly };
  // Throws platform::Exception with a message that says what is wrong. With
  // FileOnly the movie file is only put in place, not read.
  explicit TMovieSource(const std::string& path, TReading reading = TReading::Everything);
  ~TMovieSource();
  TMovieSource(const TMovieSource&) = delete;
  TMovieSource& operator=(const TMovieSource&) = delete;

  TMoviePlayback& Playback() { return playback_; }
  // The bare movie file: the one given, or the one taken out of the cabinet.
  const std::string& MovieFile() const { return movieFile_; }

 private:
  // Removed with everything in it when the source goes, also when opening fails.
  struct TPrivateFolder {
    std::string path;
    ~TPrivateFolder();
  };

  TPrivateFolder folder_;
  std::string movieFile_;
  TMoviePlayback playback_;
};
