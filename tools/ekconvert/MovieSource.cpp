#include "MovieSource.h"

#include "Exception.h"
#include "Files.h"
#include "MovieBytes.h"
#include "MovieReader.h"
#include "MovieRescue.h"

TMovieSource::TMovieSource(const std::string& path, bool salvage) {
  if (!platform::FileExists(path)) throw platform::Exception("no such file");
  if (playback_.AllocFrameBuffer(TMoviePlayback::FrameBufferSize) != result::AllRight)
    throw platform::Exception("no memory for the frame buffer");
  if (!salvage) {
    const std::unique_ptr<platform::TStream> movie = OpenWholeMovie(path);
    ReadMovie(*movie, playback_.SegmentList);
    return;
  }
  TSalvagedMovie salvaged = SalvageMovieFile(path, kSalvagedMovieBytes);
  const TMovieRescue rescue = RescueMovie(std::move(salvaged.bytes), salvaged.lost);
  if (rescue.FramesKept() == 0)
    throw platform::Exception("no frame of the movie could be rescued" +
                              (salvaged.failure.empty() ? "" : ": " + salvaged.failure));
  if (rescue.Damaged())
    repairs_ = "repaired: " + std::to_string(rescue.FramesKept()) + " of " + std::to_string(rescue.FramesRecorded) +
               " frames kept, " + std::to_string(rescue.BytesLost) + " bytes unrecoverable";
  platform::TBorrowedMemoryStream movie(rescue.Movie.data(), static_cast<int64_t>(rescue.Movie.size()));
  ReadMovie(movie, playback_.SegmentList);
}

TMovieSource::~TMovieSource() = default;
