#include <gtest/gtest.h>

#include "ChangedArea.h"

#include <algorithm>
#include <random>

namespace {

// The ranges handed out, as one flag a byte.
std::vector<bool> Covered(const TChangedArea& area, size_t bytes) {
  std::vector<bool> covered(bytes, false);
  size_t lastEnd = 0;
  area.ForEachRange([&](size_t begin, size_t end) {
    EXPECT_LT(begin, end);
    EXPECT_TRUE(begin == 0 || begin > lastEnd) << "ranges must be apart and in order";
    lastEnd = end;
    for (size_t b = begin; b < std::min(end, bytes); ++b) covered[b] = true;
  });
  return covered;
}

TEST(ChangedArea, RangesAreTheMarkedChunksAcrossWordEdges) {
  // Chunks are four pixels: 16 bytes at 32 bits, 4 at 8 bits.
  for (const int pixelBytes : {4, 1}) {
    SCOPED_TRACE(pixelBytes);
    // 200 chunks: the map has four words, the last one partly used.
    const size_t C = 4 * static_cast<size_t>(pixelBytes);
    const size_t bytes = 200 * C - 3;
    TChangedArea area;
    area.Reset(bytes, pixelBytes);
    ASSERT_EQ(area.ChunkBytes(), C);
    EXPECT_TRUE(area.Empty());
    std::vector<bool> chunk(200, false);
    const std::pair<size_t, size_t> marks[] = {{0, 1},
                                               {63 * C + 1, 65 * C},
                                               {127 * C, 128 * C + 1},
                                               {130 * C, 130 * C + 2},
                                               {131 * C, 140 * C},
                                               {199 * C + 3, bytes + 500}};
    for (const auto& [begin, end] : marks) {
      area.Mark(begin, end);
      for (size_t c = begin / C; c <= std::min((end - 1) / C, size_t{199}); ++c) chunk[c] = true;
    }
    area.Mark(500, 500);  // empty: nothing
    const std::vector<bool> covered = Covered(area, bytes);
    for (size_t b = 0; b < bytes; ++b) ASSERT_EQ(covered[b], chunk[b / C]) << "byte " << b;
    EXPECT_EQ(area.FirstByte(), 0u);
    EXPECT_EQ(area.EndByte(), 200 * C);

    // After a reset of the same size only new marks count.
    area.Reset(bytes, pixelBytes);
    EXPECT_TRUE(area.Empty());
    area.Mark(70 * C + 1, 70 * C + 2);
    EXPECT_EQ(area.FirstByte(), 70 * C);
    EXPECT_EQ(area.EndByte(), 71 * C);
    int ranges = 0;
    area.ForEachRange([&](size_t begin, size_t end) {
      ++ranges;
      EXPECT_EQ(begin, 70 * C);
      EXPECT_EQ(end, 71 * C);
    });
    EXPECT_EQ(ranges, 1);

    area.MarkAll();
    const std::vector<bool> all = Covered(area, bytes);
    EXPECT_EQ(std::count(all.begin(), all.end(), true), static_cast<long>(bytes));
  }
}

TEST(ChangedArea, MarksOverManyWordsAreHandedOutAndClearedExactly) {
  // 20,000 chunks, 313 words of the map. Each round marks scattered chunks
  // and ranges, some through the frame loops' marker, one round all over,
  // and is then reset: what a round hands out is what it marked, nothing
  // left over from the one before.
  const size_t chunks = 20000, bytes = chunks * 16;
  TChangedArea area;
  area.Reset(bytes, 4);
  std::mt19937 random(7);
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE(round);
    std::vector<bool> chunk(chunks, false);
    const auto mark = [&](size_t begin, size_t end) {
      for (size_t c = begin / 16; c <= (end - 1) / 16 && c < chunks; ++c) chunk[c] = true;
    };
    if (round == 5) {
      area.MarkAll();
      mark(0, bytes);
    }
    // A run that ends at the last chunk of a word, with nothing in the next
    // word, and one that reaches into the word after.
    area.Mark(63 * 16, 64 * 16);
    mark(63 * 16, 64 * 16);
    area.Mark(4095 * 16, 4097 * 16);
    mark(4095 * 16, 4097 * 16);
    std::uniform_int_distribution<size_t> at(0, bytes - 1), length(1, round % 2 == 0 ? 40 : 5000);
    for (int i = 0; i < 40; ++i) {
      const size_t begin = at(random), end = std::min(begin + length(random), bytes);
      area.Mark(begin, end);
      mark(begin, end);
    }
    std::vector<size_t> starts(60);
    for (size_t& start : starts) start = at(random);
    std::sort(starts.begin(), starts.end());
    TChangeMarker<16> marker(area);
    for (const size_t begin : starts) {
      const size_t end = std::min(begin + length(random) % 48 + 1, bytes);
      marker.Add(static_cast<int64_t>(begin), static_cast<int64_t>(end));
      mark(begin, end);
    }
    marker.Flush();
    const std::vector<bool> covered = Covered(area, bytes);
    for (size_t b = 0; b < bytes; b += 4) ASSERT_EQ(covered[b], chunk[b / 16]) << "byte " << b;
    area.Reset(bytes, 4);
    EXPECT_TRUE(area.Empty());
    area.Mark(bytes - 1, bytes);
    const std::vector<bool> last = Covered(area, bytes);
    EXPECT_EQ(std::count(last.begin(), last.end(), true), 16);
    EXPECT_TRUE(last[bytes - 16]);
    area.Reset(bytes, 4);
  }
}

TEST(ChangedArea, NothingToMarkInAnEmptyPicture) {
  TChangedArea area;
  area.Reset(0, 4);
  area.MarkAll();
  area.Mark(0, 100);
  EXPECT_TRUE(area.Empty());
  area.ForEachRange([](size_t, size_t) { ADD_FAILURE(); });
}

}  // namespace
