// Going to frames of a movie in any order, as the progress bar and the
// converter's ranges do: the first four bytes choose the frames, the rest
// is the movie.
#include <cstddef>
#include <cstdint>

#include "MoviePlayback.h"
#include "MovieReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kChoices = 4;
  if (size < kChoices) return 0;
  static TMoviePlayback* const playback = [] {
    auto* p = new TMoviePlayback;
    (void)p->AllocFrameBuffer(TMoviePlayback::FrameBufferSize);
    // Small, so that snapshots are also dropped again.
    p->SeekIndex.SetBudget(size_t{1} << 20);
    return p;
  }();
  playback->FreeSegments();
  platform::TBorrowedMemoryStream movie(data + kChoices, static_cast<int64_t>(size - kChoices));
  try {
    ReadMovie(movie, playback->SegmentList);
    const int64_t total = playback->TotalFrames();
    for (size_t c = 0; c < kChoices && total > 0; ++c) {
      int32_t segment = 0, frame = 0;
      // Spread over the movie, then a step or two on from there.
      if (!playback->LocateFrame(data[c] * total / 256, segment, frame)) continue;
      if (playback->SeekFrame(segment, frame) != result::AllRight) continue;
      for (int step = 0; step < data[c] % 3; ++step)
        if (playback->NextFrame() != result::AllRight || playback->ComposePicture() != result::AllRight) break;
    }
  } catch (const platform::Exception&) {}
  playback->FreeSegments();
  return 0;
}
