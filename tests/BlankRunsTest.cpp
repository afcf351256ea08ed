#include "BlankRuns.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Records of blank runs of the given counts, then one coloured run, then
// blanks again, so that a reader that looked past the first colour shows.
std::vector<uint8_t> Records(const std::vector<uint8_t>& blankCounts) {
  std::vector<uint8_t> records;
  for (const uint8_t count : blankCounts) records.insert(records.end(), {0, count});
  records.insert(records.end(), {9, 200});
  for (int k = 0; k < 40; ++k) records.insert(records.end(), {0, 255});
  return records;
}

}  // namespace

TEST(BlankRuns, EveryWayTakesOnlyBlankRunsWithinTheLimitAndTheRoom) {
  // The word-by-word start before the blocks, and both kinds of blocks.
  std::vector<decltype(&SkipBlankRunsPortable)> ways = {SkipBlankRuns, SkipBlankRunsPortable};
  if (__builtin_cpu_supports("avx2")) ways.push_back(SkipBlankRunsAvx2);
  uint32_t seed = 99;
  const auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
  for (const auto skip : ways) {
    std::vector<int> stretches;
    for (int blanks = 0; blanks <= 40; ++blanks) stretches.push_back(blanks);
    // Long stretches, whole blocks and not, as a still picture makes them.
    for (const int blanks : {63, 64, 65, 100, 255, 256, 257, 1000}) stretches.push_back(blanks);
    for (const int blanks : stretches) {
      std::vector<uint8_t> counts;
      for (int k = 0; k < blanks; ++k) counts.push_back(static_cast<uint8_t>(k % 3 == 0 ? 255 : next() % 256));
      const std::vector<uint8_t> records = Records(counts);
      const int64_t available = static_cast<int64_t>(records.size() / 2);
      int64_t blankPixels = 0;
      for (const uint8_t c : counts) blankPixels += c;
      for (const int64_t limit : {available, int64_t{blanks}, int64_t{blanks / 2}}) {
        for (const int64_t room : {int64_t{1} << 40, blankPixels + 1, blankPixels / 2 + 1}) {
          const TBlankRuns taken = skip(records.data(), limit, room);
          ASSERT_LE(taken.records, std::min<int64_t>(limit, blanks)) << blanks << " " << limit << " " << room;
          ASSERT_LT(taken.pixels, room);
          int64_t pixels = 0;
          for (int64_t r = 0; r < taken.records; ++r) pixels += records[static_cast<size_t>(r * 2 + 1)];
          ASSERT_EQ(taken.pixels, pixels) << blanks << " " << limit << " " << room;
          // With room and records to spare, a stretch is taken up to its
          // colour, or up to the last block that fits before the limit.
          if (room > blankPixels + 1 && limit == available) { ASSERT_EQ(taken.records, blanks) << blanks; }
        }
      }
    }
  }
}
