#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "PictureSnapshot.h"
#include "PlaybackFixtures.h"

namespace mw = moviewriter;

namespace {

class Playback : public TMoviePlayback {
 public:
  Playback() { EXPECT_EQ(AllocFrameBuffer(FrameBufferSize), result::AllRight); }
};

// A desktop: a flat background, a window that moves, and a patch of noise now
// and then; the cursor wanders across every edge.
mw::Segment Desktop(int width, int height, uint8_t depth, int frames, int seed) {
  mw::Segment s;
  s.name = "segment " + std::to_string(seed);
  s.width = width;
  s.height = height;
  s.bitsPerPixel = depth;
  s.shapes = {mw::ArrowShape()};
  if (depth != 8) s.shapes.push_back(mw::ColourArrowShape(32));
  for (int f = 0; f < frames; ++f) {
    mw::Frame frame;
    frame.picture = mw::Picture(width, height, depth == 8 ? 3 + seed : 0x3A6EA5u + seed);
    const int left = (f * 3 + seed) % width, top = (f / 7) % height;
    for (int y = top; y < std::min(height, top + height / 3); ++y)
      for (int x = left; x < std::min(width, left + width / 2); ++x)
        frame.picture.at(x, y) = depth == 8 ? 200 : 0xD4D0C8;
    if (f % 11 == 5) {
      const mw::Picture noise = fixtures::Pattern(width, height, depth, f);
      for (int y = 0; y < height / 2; ++y)
        for (int x = 0; x < width / 2; ++x) frame.picture.at(x, y) = noise.at(x, y);
    }
    frame.cursor = {static_cast<uint16_t>(f % 3 == 2 && depth != 8 ? 1 : 0),
                    static_cast<uint16_t>((f * 5 + seed) % (width + 20) - 10),
                    static_cast<uint16_t>((f * 3) % (height + 20) - 10)};
    s.frames.push_back(std::move(frame));
  }
  return s;
}

// Segments of 8, 24 and 32 bits with padded rows, palettes that change in
// the middle of a segment, a segment that takes its colour table and its
// cursor from the ones before it, and sizes that differ.
std::vector<mw::Segment> Movie() {
  std::vector<mw::Segment> movie;
  movie.push_back(Desktop(37, 23, 8, 300, 1));
  movie[0].frames[0].palette = {0, {0x000000, 0x102030, 0x203040, 0x304050, 0x405060}};
  movie[0].frames[0].palette.colours.resize(255, 0x808080);
  movie[0].frames[120].palette = {3, {0xABCDEF, 0x123456}};
  movie[0].frames[121].palette = {200, {0xFF0000}};
  movie.push_back(Desktop(64, 40, 32, 200, 2));
  movie.push_back(Desktop(21, 17, 8, 150, 3));
  movie[2].frames[10].palette = {4, {0x00FF00}};
  movie[2].cursorRecords = 0;
  movie.push_back(Desktop(13, 9, 24, 120, 4));
  return movie;
}

// Plays frames of the active segment as the timer does.
void PlayFrames(TMoviePlayback& playback, int frames) {
  for (int f = 0; f < frames; ++f) {
    playback.ComposePicture();
    playback.NextFrame();
  }
}

struct Composed {
  std::vector<uint8_t> bits;
  TColorTable colours;
};

Composed Take(const TMoviePlayback& playback) {
  const gdi::Bitmap& picture = *playback.ShownPicture();
  return {std::vector<uint8_t>(picture.Bits(), picture.Bits() + picture.ByteSize()), playback.ColorTable};
}

// Every frame as playing the movie from its start composes it.
std::vector<std::vector<Composed>> PlayThrough(const std::vector<mw::Segment>& movie) {
  Playback playback;
  fixtures::LoadMovie(playback, movie);
  std::vector<std::vector<Composed>> frames(movie.size());
  for (size_t s = 0; s < movie.size(); ++s) {
    playback.CurSegment = static_cast<int32_t>(s);
    EXPECT_EQ(playback.SetCurSegment(), result::AllRight);
    for (size_t f = 0; f < movie[s].frames.size(); ++f) {
      EXPECT_EQ(playback.ComposePicture(), result::AllRight);
      frames[s].push_back(Take(playback));
      playback.NextFrame();
    }
  }
  return frames;
}

void ExpectFrame(const TMoviePlayback& playback, const Composed& expected, bool indexed, const std::string& where) {
  const Composed actual = Take(playback);
  ASSERT_TRUE(actual.bits == expected.bits) << where;
  if (indexed) { ASSERT_TRUE(actual.colours == expected.colours) << where; }
}

// Seeks to every frame in a random order, and plays on a few frames from some.
void SeekEverywhere(size_t budget, size_t* snapshotsLeft = nullptr) {
  const std::vector<mw::Segment> movie = Movie();
  const auto expected = PlayThrough(movie);
  Playback playback;
  fixtures::LoadMovie(playback, movie);
  playback.SeekIndex.SetBudget(budget);
  std::vector<std::pair<int32_t, int32_t>> order;
  for (size_t s = 0; s < movie.size(); ++s)
    for (size_t f = 0; f < movie[s].frames.size(); ++f) order.emplace_back(s, f);
  std::shuffle(order.begin(), order.end(), std::mt19937(7));
  for (size_t i = 0; i < order.size(); ++i) {
    const auto [s, f] = order[i];
    const bool indexed = movie[static_cast<size_t>(s)].bitsPerPixel == 8;
    const std::string where = "seek to segment " + std::to_string(s) + " frame " + std::to_string(f);
    ASSERT_EQ(playback.SeekFrame(s, f), result::AllRight) << where;
    ASSERT_EQ(playback.FrameIndex, f);
    ExpectFrame(playback, expected[static_cast<size_t>(s)][static_cast<size_t>(f)], indexed, where);
    if (i % 37 == 0) {
      for (int32_t g = f + 1; g < std::min<int32_t>(f + 30, movie[static_cast<size_t>(s)].frames.size()); ++g) {
        ASSERT_EQ(playback.NextFrame(), result::AllRight);
        ASSERT_EQ(playback.ComposePicture(), result::AllRight);
        ExpectFrame(playback, expected[static_cast<size_t>(s)][static_cast<size_t>(g)], indexed,
                    where + ", then frame " + std::to_string(g));
      }
    }
    ASSERT_LE(playback.SeekIndex.MemoryHeld(), budget + 64 * 1024) << where;
  }
  if (snapshotsLeft) *snapshotsLeft = playback.SeekIndex.SnapshotCount();
}

TEST(SeekIndex, SeekingToAnyFrameGivesThePictureAndColoursOfPlayingThrough) {
  size_t snapshots = 0;
  SeekEverywhere(TSeekIndex::kDefaultBudget, &snapshots);
  EXPECT_GT(snapshots, 8u);
}

TEST(SeekIndex, ABudgetTooSmallForSnapshotsDropsThemAndSeeksStillGiveThePicture) {
  size_t snapshots = 1;
  SeekEverywhere(16 * 1024, &snapshots);
  EXPECT_LE(snapshots, 16u);
  SeekEverywhere(0, &snapshots);
  EXPECT_EQ(snapshots, 0u);
}

TEST(SeekIndex, SnapshotsAreTakenWhilePlayingAndBoundTheWorkOfASeek) {
  const std::vector<mw::Segment> movie = Movie();
  Playback playback;
  fixtures::LoadMovie(playback, movie);
  ASSERT_EQ(playback.SetCurSegment(), result::AllRight);
  PlayFrames(playback, 300);
  const size_t afterPlaying = playback.SeekIndex.SnapshotCount();
  EXPECT_GE(afterPlaying, 3u);
  EXPECT_GT(playback.SeekIndex.MemoryHeld(), 0u);
  // Seeking back into what was played makes no more of them.
  ASSERT_EQ(playback.SeekFrame(0, 290), result::AllRight);
  ASSERT_EQ(playback.SeekFrame(0, 10), result::AllRight);
  EXPECT_EQ(playback.SeekIndex.SnapshotCount(), afterPlaying);
}

TEST(SeekIndex, ASegmentEnteredWithOtherColoursLosesItsSnapshots) {
  const std::vector<mw::Segment> movie = Movie();
  Playback playback;
  fixtures::LoadMovie(playback, movie);
  playback.CurSegment = 2;
  ASSERT_EQ(playback.SetCurSegment(), result::AllRight);
  PlayFrames(playback, 150);
  ASSERT_GT(playback.SeekIndex.SnapshotCount(), 0u);
  // Its first frames show the colour table it came in with, so snapshots of
  // another entry would show other colours.
  playback.ColorTable[7] = {1, 2, 3, 0};
  ASSERT_EQ(playback.SetCurSegment(), result::AllRight);
  EXPECT_EQ(playback.SeekIndex.SnapshotCount(), 0u);
  // A segment whose cursor stream is full takes nothing from before it.
  playback.CurSegment = 1;
  ASSERT_EQ(playback.SetCurSegment(), result::AllRight);
  PlayFrames(playback, 200);
  const size_t kept = playback.SeekIndex.SnapshotCount();
  ASSERT_GT(kept, 0u);
  playback.ColorTable[7] = {9, 9, 9, 0};
  playback.CursorRecord = {1, 2, 3};
  ASSERT_EQ(playback.SetCurSegment(), result::AllRight);
  EXPECT_EQ(playback.SeekIndex.SnapshotCount(), kept);
}

TEST(SeekIndex, SeeksOutsideTheMovieAreRefusedAndChangeNothing) {
  const std::vector<mw::Segment> movie = Movie();
  Playback playback;
  fixtures::LoadMovie(playback, movie);
  ASSERT_EQ(playback.SeekFrame(1, 10), result::AllRight);
  const Composed before = Take(playback);
  EXPECT_EQ(playback.SeekFrame(1, 200), result::OutOfIndexBound);
  EXPECT_EQ(playback.SeekFrame(4, 0), result::OutOfIndexBound);
  EXPECT_EQ(playback.SeekFrame(-1, 0), result::OutOfIndexBound);
  EXPECT_EQ(playback.SeekFrame(0, -1), result::OutOfIndexBound);
  EXPECT_TRUE(Take(playback).bits == before.bits);
  int32_t segment = -1, frame = -1;
  ASSERT_TRUE(playback.LocateFrame(300 + 200 + 5, segment, frame));
  EXPECT_EQ(segment, 2);
  EXPECT_EQ(frame, 5);
  EXPECT_FALSE(playback.LocateFrame(770, segment, frame));
  EXPECT_FALSE(playback.LocateFrame(-1, segment, frame));
}

TEST(PictureSnapshot, FlatAndNoisyPicturesComeBackExactlyAtEveryDepth) {
  for (int depth : {8, 16, 32}) {
    auto picture = depth == 8 ? gdi::CreateDIBSection(37, 11, 8) : gdi::CreateDIBSection(37, 11, depth);
    ASSERT_TRUE(picture);
    const mw::Picture noise = fixtures::Pattern(37, 11, depth == 8 ? 8 : 32, 3);
    for (int y = 0; y < 11; ++y)
      for (int x = 0; x < 37; ++x) picture->SetPixelValue(x, y, y < 5 ? 7 : (y < 8 ? noise.at(x, y) : (x < 3 ? 1 : 2)));
    const std::vector<uint8_t> code = EncodePicture(*picture);
    auto copy = gdi::CreateDIBSection(37, 11, depth);
    ASSERT_TRUE(DecodePicture(code, *copy));
    EXPECT_TRUE(std::equal(copy->Bits(), copy->Bits() + copy->ByteSize(), picture->Bits())) << depth;
    // A flat picture keeps a few bytes; the code of another size is refused.
    auto flat = gdi::CreateDIBSection(640, 480, depth);
    EXPECT_LT(EncodePicture(*flat).size(), 64u);
    EXPECT_FALSE(DecodePicture(code, *flat));
    std::vector<uint8_t> cut(code.begin(), code.end() - 1);
    EXPECT_FALSE(DecodePicture(cut, *copy));
  }
}

}  // namespace
