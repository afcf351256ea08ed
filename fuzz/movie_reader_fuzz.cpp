// Feeds arbitrary bytes to the movie reader and plays whatever it accepts:
// a damaged movie must be refused or played within its buffers, never more.
#include <cstddef>
#include <cstdint>

#include "MovieReader.h"
#include "MoviePlayback.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::TMemoryStream stream;
  stream.WriteBuffer(data, static_cast<int64_t>(size));
  TMoviePlayback playback;
  if (playback.AllocFrameBuffer(TMoviePlayback::FrameBufferSize) != result::AllRight) return 0;
  try {
    const auto table = ReadSegmentEntries(stream);
    for (size_t i = 0; i < table.size(); ++i)
      ReadSegmentBlock(stream, playback.SegmentList, static_cast<int>(i) + 1);
    for (size_t s = 0; s < playback.SegmentList.size(); ++s) {
      playback.CurSegment = static_cast<int32_t>(s);
      if (playback.SetCurSegment() != result::AllRight) continue;
      // Bounded, whatever frame count the segment claims.
      for (int f = 0; f < 64; ++f) {
        if (playback.ComposePicture() != result::AllRight || playback.NextFrame() != result::AllRight) break;
      }
    }
  } catch (const platform::Exception&) {
  }
  return 0;
}
