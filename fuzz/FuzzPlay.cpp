#include "FuzzPlay.h"

#include "MoviePlayback.h"
#include "MovieReader.h"

namespace fuzz {

void ReadAndPlay(platform::TStream& movie) {
  // One frame buffer for the life of the process: 64 MiB a run would dominate.
  static TMoviePlayback* const playback = [] {
    auto* p = new TMoviePlayback;
    (void)p->AllocFrameBuffer(TMoviePlayback::FrameBufferSize);
    return p;
  }();
  playback->FreeSegments();
  try {
    ReadMovie(movie, playback->SegmentList);
    for (size_t s = 0; s < playback->SegmentList.size(); ++s) {
      playback->CurSegment = static_cast<int32_t>(s);
      if (playback->SetCurSegment() != result::AllRight) continue;
      // Bounded, whatever frame count the segment claims.
      for (int f = 0; f < 32; ++f)
        if (playback->ComposePicture() != result::AllRight || playback->NextFrame() != result::AllRight) break;
    }
  } catch (const platform::Exception&) {}
  playback->FreeSegments();
}

}  // namespace fuzz
