#include "MovieSource.h"

#include "Exception.h"
#include "Files.h"
#include "MovieBytes.h"
#include "MovieReader.h"

TMovieSource::TMovieSource(const std::string& path) {
  if (!platform::FileExists(path)) throw platform::Exception("no such file");
  const std::unique_ptr<platform::TStream> movie = OpenWholeMovie(path);
  if (playback_.AllocFrameBuffer(TMoviePlayback::FrameBufferSize) != result::AllRight)
    throw platform::Exception("no memory for the frame buffer");
  ReadMovie(*movie, playback_.SegmentList);
}

TMovieSource::~TMovieSource() = default;
