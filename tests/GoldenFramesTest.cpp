// Movies written once by the writer and then frozen, with a checksum of every
// frame the engine composes for them: a change to the writer and the reader
// together can't hide a fault, as tests of one against the other could.
// When a checksum must change, the test writes what it found beside the
// build's tests (golden-*.checksums) to compare and take over by hand.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "CabinetFixtures.h"
#include "MoviePlayback.h"
#include "MovieReader.h"

namespace {

// FNV-1a, 64 bits: the same number on every machine.
struct Fnv {
  uint64_t value = 0xcbf29ce484222325u;
  void Add(const uint8_t* bytes, size_t size) {
    for (size_t i = 0; i < size; ++i) value = (value ^ bytes[i]) * 0x100000001b3u;
  }
};

// One line a frame: segment and frame from 1, and the checksum of the
// composed picture (cursor included, row padding left out) and, at 8 bits,
// of its colour table.
std::string FrameChecksums(const std::string& path) {
  TMoviePlayback playback;
  EXPECT_EQ(playback.AllocFrameBuffer(TMoviePlayback::FrameBufferSize), result::AllRight);
  platform::TFileStream stream(path, platform::TFileStream::Mode::OpenRead, platform::FILE_SHARE_READ);
  ReadMovie(stream, playback.SegmentList);
  std::ostringstream lines;
  for (size_t s = 0; s < playback.SegmentList.size(); ++s) {
    playback.CurSegment = static_cast<int32_t>(s);
    EXPECT_EQ(playback.SetCurSegment(), result::AllRight) << s;
    for (int32_t f = 0; f < playback.SegmentList[s]->FrameCount; ++f) {
      EXPECT_EQ(playback.ComposePicture(), result::AllRight) << s << " " << f;
      const gdi::Bitmap& picture = *playback.ShownPicture();
      Fnv sum;
      const size_t rowBytes = static_cast<size_t>(picture.Width()) * picture.BitsPerPixel() / 8;
      for (int y = 0; y < picture.Height(); ++y)
        sum.Add(picture.Bits() + static_cast<size_t>(y) * picture.Stride(), rowBytes);
      if (picture.BitsPerPixel() == 8)
        sum.Add(reinterpret_cast<const uint8_t*>(playback.ColorTable.data()), sizeof playback.ColorTable);
      lines << s + 1 << " " << f + 1 << " " << std::hex << sum.value << std::dec << "\n";
      if (f + 1 < playback.SegmentList[s]->FrameCount) { EXPECT_EQ(playback.NextFrame(), result::AllRight); }
    }
  }
  return lines.str();
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

// The demo movie (a 32-bit and a 24-bit segment of odd width with plain and
// colour cursor shapes, an 8-bit segment with padded rows and palette
// changes) and the movies of make_golden_movies.cpp, each of one depth.
TEST(GoldenFrames, EveryComposedFrameOfTheFrozenMoviesKeepsItsChecksum) {
  for (const std::string name : {"demo", "palette8", "oddwidth24", "segments32"}) {
    const std::string folder = std::string(EK_SOURCE_FOLDER) + "/tests/golden/";
    const std::string found = FrameChecksums(folder + name + ".~ekflm");
    std::ofstream(fixtures::BuildFolder() + "tests/golden-" + name + ".checksums") << found;
    EXPECT_EQ(found, ReadText(folder + name + ".checksums")) << name;
  }
}
