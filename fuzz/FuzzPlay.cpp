#include "FuzzPlay.h"

#include <cstdlib>

#include "FrameRecords.h"
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
      // Bounded, whatever frame count the segment claims. A record is never
      // read past its segment's frames, and one read whole was not cut.
      const int64_t frameBytes = playback->SegmentList[s]->SegStreamSize;
      for (int f = 0; f < 32; ++f) {
        if (playback->ComposePicture() != result::AllRight) break;
        const TFrameApplied record = playback->LastRecord;
        if (record.bytes < 0 || record.bytes > frameBytes) std::abort();
        if (!record.cut && record.bytes < kFrameRecordHeaderBytes) std::abort();
        if (playback->NextFrame() != result::AllRight) break;
      }
    }
  } catch (const platform::Exception&) {}
  playback->FreeSegments();
}

}  // namespace fuzz
