// Rescue against the ideal: what a damaged movie still holds is worked out
// here from the writer's own layout, frame by frame, and the rescued movie
// must give exactly those frames when the ordinary reader plays it.
#include <gtest/gtest.h>

#include <random>

#include "MovieReader.h"
#include "MovieRescue.h"
#include "MovieWriter.h"
#include "PlaybackFixtures.h"

namespace mw = moviewriter;

namespace {

struct TFixture {
  std::vector<mw::Segment> segments = mw::DemoMovie();
  mw::Movie movie = mw::WriteMovie(segments);
  std::vector<fixtures::TWrittenSegment> layout = fixtures::WrittenLayout(segments, movie);
  // Picture bits only: a segment that loses its colour changes keeps its
  // pixels, but not where an 8-bit cursor is drawn in the nearest colours.
  std::vector<std::vector<uint64_t>> frames = fixtures::FrameChecksums(movie.bytes, false);
  std::vector<std::vector<uint64_t>> withoutCursor = fixtures::FrameChecksums(movie.bytes, false, false);
};

const TFixture& Fixture() {
  static const TFixture fixture;
  return fixture;
}

// The rescued movie opens with the ordinary reader, and its frames are the
// original ones from the start of each segment up to `keptBefore`.
void ExpectFramesKept(const TMovieRescue& rescue, const std::vector<int32_t>& keptBefore, const std::string& what) {
  std::vector<std::unique_ptr<SegInfo>> read;
  platform::TBorrowedMemoryStream stream(rescue.Movie.data(), static_cast<int64_t>(rescue.Movie.size()));
  ASSERT_NO_THROW(ReadMovie(stream, read)) << what;
  const auto rescued = fixtures::FrameChecksums(rescue.Movie, false);
  const auto rescuedWithoutCursor = fixtures::FrameChecksums(rescue.Movie, false, false);
  for (size_t s = 0; s < keptBefore.size() && s < rescued.size(); ++s) {
    const bool coloursLost = rescue.Segments[s].ColoursLostFrom >= 0;
    const auto& got = coloursLost ? rescuedWithoutCursor[s] : rescued[s];
    const auto& expected = coloursLost ? Fixture().withoutCursor[s] : Fixture().frames[s];
    for (int32_t f = 0; f < keptBefore[s]; ++f)
      ASSERT_EQ(got[static_cast<size_t>(f)], expected[static_cast<size_t>(f)])
          << what << ": segment " << s + 1 << " frame " << f + 1;
  }
}

TEST(MovieRescue, AWholeMovieIsWrittenUnchanged) {
  const TMovieRescue rescue = RescueMovie(Fixture().movie.bytes, {});
  EXPECT_FALSE(rescue.Damaged());
  EXPECT_TRUE(rescue.Movie == Fixture().movie.bytes);
  EXPECT_EQ(rescue.SegmentsRecorded, 3);
  EXPECT_EQ(rescue.FramesKept(), 80);
  EXPECT_EQ(rescue.FramesRecorded, 80);
}

TEST(MovieRescue, ACutMovieKeepsEveryFrameWhoseRecordIsWhole) {
  const TFixture& fixture = Fixture();
  const int64_t size = static_cast<int64_t>(fixture.movie.bytes.size());
  for (int i = 1; i <= 200; ++i) {
    const int64_t cut = size * i / 201;
    const std::vector<uint8_t> part(fixture.movie.bytes.begin(), fixture.movie.bytes.begin() + cut);
    const TMovieRescue rescue = RescueMovie(part, {});
    const std::string what = "cut at " + std::to_string(cut);
    // Every frame whose record lies wholly before the cut, in segments whose head does.
    std::vector<int32_t> recoverable;
    for (const fixtures::TWrittenSegment& segment : fixture.layout) {
      if (segment.framesStart > cut) break;
      recoverable.push_back(static_cast<int32_t>(
          std::upper_bound(segment.recordEnds.begin(), segment.recordEnds.end(), cut) - segment.recordEnds.begin()));
    }
    ASSERT_EQ(rescue.Segments.size(), recoverable.size()) << what;
    for (size_t s = 0; s < recoverable.size(); ++s) EXPECT_EQ(rescue.Segments[s].FramesKept, recoverable[s]) << what;
    EXPECT_TRUE(rescue.Damaged()) << what;
    ExpectFramesKept(rescue, recoverable, what);
    if (!recoverable.empty() && fixture.segments[recoverable.size() - 1].bitsPerPixel == 8) {
      EXPECT_EQ(rescue.Segments.back().ColoursLostFrom, 0) << what;
    }
  }
}

TEST(MovieRescue, ADamagedSectorLosesItsFramesAndTheChainTakesUpAfterIt) {
  const TFixture& fixture = Fixture();
  std::mt19937 random(5);
  int inFrames = 0, resumed = 0;
  for (int i = 0; i < 100; ++i) {
    std::vector<uint8_t> damaged = fixture.movie.bytes;
    const int64_t sector = static_cast<int64_t>(random() % (damaged.size() / 2048)) * 2048;
    for (int64_t b = sector; b < sector + 2048; ++b) damaged[static_cast<size_t>(b)] = static_cast<uint8_t>(random());
    const TMovieRescue rescue = RescueMovie(damaged, {{sector, sector + 2048}});
    const std::string what = "sector at " + std::to_string(sector);
    ASSERT_FALSE(rescue.Movie.empty()) << what;
    std::vector<uint8_t> copy = rescue.Movie;
    std::vector<std::unique_ptr<SegInfo>> read;
    platform::TBorrowedMemoryStream stream(copy.data(), static_cast<int64_t>(copy.size()));
    ASSERT_NO_THROW(ReadMovie(stream, read)) << what;
    // A sector inside one frame stream: the frames before it exact, and the
    // chain taken up at the first record that starts after it.
    for (size_t s = 0; s < fixture.layout.size(); ++s) {
      const fixtures::TWrittenSegment& segment = fixture.layout[s];
      if (sector < segment.framesStart || sector + 2048 > segment.recordEnds.back()) continue;
      ++inFrames;
      const auto& ends = segment.recordEnds;
      const auto before = static_cast<int32_t>(std::upper_bound(ends.begin(), ends.end(), sector) - ends.begin());
      int32_t firstAfter = before;
      while (firstAfter < static_cast<int32_t>(ends.size()) &&
             (firstAfter == 0 ? segment.framesStart : ends[static_cast<size_t>(firstAfter - 1)]) < sector + 2048)
        ++firstAfter;
      ASSERT_GT(rescue.Segments.size(), s) << what;
      const TRescuedSegment& got = rescue.Segments[s];
      const auto total = static_cast<int32_t>(ends.size());
      if (got.FramesKept == before + total - firstAfter) ++resumed;
      EXPECT_GE(got.FramesKept, before) << what;
      std::vector<int32_t> exact(s + 1, 0);
      for (size_t t = 0; t < s; ++t) exact[t] = static_cast<int32_t>(fixture.layout[t].recordEnds.size());
      exact[s] = before;
      ExpectFramesKept(rescue, exact, what);
    }
  }
  EXPECT_GT(inFrames, 50);
  EXPECT_GE(resumed * 100, inFrames * 95) << resumed << " of " << inFrames;
}

TEST(MovieRescue, ALostSegmentTableIsMadeAgainFromTheSegments) {
  const TFixture& fixture = Fixture();
  std::vector<uint8_t> damaged = fixture.movie.bytes;
  const int64_t tableEnd = fixture.movie.Find(1, "shape count").offset;
  std::fill(damaged.begin(), damaged.begin() + tableEnd, 0xEE);
  const TMovieRescue rescue = RescueMovie(damaged, {{0, tableEnd}});
  EXPECT_EQ(rescue.SegmentsRecorded, -1);
  ASSERT_EQ(rescue.Segments.size(), 3u);
  EXPECT_EQ(rescue.FramesKept(), 80);
  EXPECT_EQ(rescue.Segments[2].Name, "Палитра");
  ExpectFramesKept(rescue, {30, 30, 20}, "table lost");
}

TEST(MovieRescue, ADamagedSegmentHeadCostsNoOtherSegment) {
  const TFixture& fixture = Fixture();
  // The shape count and the first shape of the second segment garbled.
  std::vector<uint8_t> damaged = fixture.movie.bytes;
  const int64_t head = fixture.movie.Find(2, "shape count").offset;
  for (int64_t b = head; b < head + 200; ++b) damaged[static_cast<size_t>(b)] ^= 0xA5;
  const TMovieRescue rescue = RescueMovie(damaged, {{head, head + 200}});
  ASSERT_GE(rescue.Segments.size(), 2u);
  EXPECT_EQ(rescue.Segments.front().FramesKept, 30);
  EXPECT_EQ(rescue.Segments.back().Name, "Палитра");
  EXPECT_EQ(rescue.Segments.back().FramesKept, 20);
  EXPECT_TRUE(rescue.Damaged());
  // Frames of a lost segment still count among those recorded.
  EXPECT_EQ(rescue.FramesRecorded, 80);
  // Found after the damage, the second segment lacks its first shape, which its cursor names.
  if (rescue.Segments.size() == 3) {
    EXPECT_EQ(rescue.SegmentsFound, 1);
    EXPECT_TRUE(rescue.Segments[1].CursorDamaged);
  } else {
    EXPECT_EQ(rescue.SegmentsLost, 1);
  }
}

TEST(MovieRescue, LostRangesInAnyOrderMeanTheSame) {
  const std::vector<uint8_t>& movie = Fixture().movie.bytes;
  const TMovieRescue merged = RescueMovie(movie, {{30000, 40000}, {90000, 95000}});
  const TMovieRescue scattered = RescueMovie(movie, {{92000, 95000}, {30000, 35000}, {90000, 93000}, {34000, 40000}});
  EXPECT_TRUE(merged.Movie == scattered.Movie);
  EXPECT_EQ(merged.FramesKept(), scattered.FramesKept());
  EXPECT_LT(merged.FramesKept(), 80);
}

TEST(MovieRescue, NoiseAndNothingGiveAnEmptyMovieThatStillOpens) {
  std::mt19937 random(9);
  for (const size_t size : {size_t{0}, size_t{3}, size_t{5000}, size_t{200000}}) {
    std::vector<uint8_t> noise(size);
    for (uint8_t& b : noise) b = static_cast<uint8_t>(random());
    const TMovieRescue rescue = RescueMovie(noise, {});
    EXPECT_EQ(rescue.FramesKept(), 0) << size;
    std::vector<std::unique_ptr<SegInfo>> read;
    platform::TBorrowedMemoryStream stream(rescue.Movie.data(), static_cast<int64_t>(rescue.Movie.size()));
    EXPECT_NO_THROW(ReadMovie(stream, read)) << size;
  }
}

}  // namespace
