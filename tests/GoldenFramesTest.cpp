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
#include "PlaybackFixtures.h"

namespace {

// One line a frame: segment and frame from 1, and the checksum of the
// composed picture and, at 8 bits, of its colour table.
std::string FrameChecksumLines(const std::string& path) {
  const std::string bytes = fixtures::ReadFile(path);
  const auto sums = fixtures::FrameChecksums(std::vector<uint8_t>(bytes.begin(), bytes.end()), true);
  std::ostringstream lines;
  for (size_t s = 0; s < sums.size(); ++s)
    for (size_t f = 0; f < sums[s].size(); ++f)
      lines << s + 1 << " " << f + 1 << " " << std::hex << sums[s][f] << std::dec << "\n";
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
    const std::string found = FrameChecksumLines(folder + name + ".~ekflm");
    std::ofstream(fixtures::BuildFolder() + "tests/golden-" + name + ".checksums") << found;
    EXPECT_EQ(found, ReadText(folder + name + ".checksums")) << name;
  }
}
