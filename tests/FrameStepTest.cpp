#include <gtest/gtest.h>

#include "Exception.h"
#include "FrameDecoder.h"
#include "PlaybackFixtures.h"
#include "Screen.h"

namespace mw = moviewriter;
using fixtures::ComposedPicture;
using fixtures::ExpectedPicture;
using fixtures::Pattern;

namespace {

class Playback : public TMoviePlayback {
 public:
  Playback() { EXPECT_EQ(AllocFrameBuffer(FrameBufferSize), result::AllRight); }
  int unsupported = 0;

 protected:
  void UnsupportedDepth() override { ++unsupported; }
};

mw::Segment CursorSegment(int width, int height, uint8_t depth, int frames) {
  mw::Segment s;
  s.name = "s";
  s.width = width;
  s.height = height;
  s.bitsPerPixel = depth;
  s.shapes = {mw::ArrowShape()};
  if (depth != 8) s.shapes.push_back(mw::ColourArrowShape(depth == 24 ? 24 : 32));
  const int shapes = static_cast<int>(s.shapes.size());
  // Positions across every edge, far outside (65492 is -44), and an empty slot.
  const int positions[][2] = {{3, 2}, {-5, 4}, {width - 4, 1}, {2, -6}, {4, height - 3}, {65492, 3}, {5, 5}, {1, 1}};
  for (int f = 0; f < frames; ++f) {
    mw::Frame frame;
    frame.picture = Pattern(width, height, depth, f % 4 == 3 ? f - 1 : f);  // some frames repeat the last one
    const auto& at = positions[f % 8];
    frame.cursor = {static_cast<uint16_t>(f % 5 == 4 ? 7 : f % shapes), static_cast<uint16_t>(at[0] & 0xFFFF),
                    static_cast<uint16_t>(at[1] & 0xFFFF)};
    if (depth == 8) {
      if (f == 0) frame.palette = {250, {0x102030, 0x203040, 0x304050, 0x405060, 0x506070, 0xFFFFFF}};
      if (f == 3) frame.palette = {1, {0xABCDEF, 0x123456}};
    }
    s.frames.push_back(std::move(frame));
  }
  return s;
}

void ExpectSame(const mw::Picture& actual, const mw::Picture& expected, const std::string& where) {
  ASSERT_EQ(actual.width, expected.width) << where;
  for (int y = 0; y < expected.height; ++y)
    for (int x = 0; x < expected.width; ++x)
      ASSERT_EQ(actual.at(x, y), expected.at(x, y)) << where << " pixel " << x << "," << y;
}

// Plays every frame of every segment and compares each composed picture.
void PlayAndCompare(const std::vector<mw::Segment>& movie) {
  Playback playback;
  fixtures::LoadMovie(playback, movie);
  std::array<gdi::RGBQuad, 256> palette{};
  for (size_t s = 0; s < movie.size(); ++s) {
    playback.CurSegment = static_cast<int32_t>(s);
    ASSERT_EQ(playback.SetCurSegment(), result::AllRight);
    for (size_t f = 0; f < movie[s].frames.size(); ++f) {
      const std::string where = "segment " + std::to_string(s + 1) + " frame " + std::to_string(f);
      ASSERT_EQ(playback.ComposePicture(), result::AllRight) << where;
      ExpectSame(ComposedPicture(playback), ExpectedPicture(movie[s], static_cast<int>(f)), where);
      const mw::PaletteChange& change = movie[s].frames[f].palette;
      for (size_t i = 0; i < change.colours.size(); ++i) {
        const uint32_t c = change.colours[i];
        palette[change.first + i] = {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8),
                                     static_cast<uint8_t>(c >> 16), 0};
      }
      if (movie[s].bitsPerPixel == 8) { ASSERT_EQ(playback.ColorTable, palette) << where; }
      const TResult next = playback.NextFrame();
      ASSERT_EQ(next, f + 1 < movie[s].frames.size() ? result::AllRight : result::OutOfIndexBound) << where;
    }
  }
}

TEST(FrameStep, ComposesTheSourcePicturesWithTheCursorAtEveryDepth) {
  for (uint8_t depth : {uint8_t{8}, uint8_t{24}, uint8_t{32}})
    for (int width : {10, 13}) PlayAndCompare({CursorSegment(width, 9, depth, 12)});
}

TEST(FrameStep, WithoutShapesComposesExactlyTheSource) {
  std::vector<mw::Segment> movie;
  for (uint8_t depth : {uint8_t{8}, uint8_t{24}, uint8_t{32}}) {
    mw::Segment s = CursorSegment(13, 5, depth, 6);
    s.shapes.clear();
    movie.push_back(s);
  }
  PlayAndCompare(movie);
}

TEST(FrameStep, ShortCursorStreamKeepsTheLastCursor) {
  mw::Segment s = CursorSegment(40, 30, 32, 6);
  s.cursorRecords = 2;
  PlayAndCompare({s});
}

TEST(FrameStep, SegmentsOfDifferentSizesFollowEachOther) {
  PlayAndCompare({CursorSegment(13, 5, 32, 3), CursorSegment(10, 9, 24, 4), CursorSegment(10, 9, 24, 2),
                  CursorSegment(769, 3, 32, 2)});
}

// A shape larger than the system cursor, monochrome or in colour, with an
// inverting part so that a pixel left behind shows.
mw::Shape LargeShape(int width, int height, bool colour) {
  mw::Shape shape;
  shape.width = width;
  shape.height = height;
  shape.hotX = width / 2;
  shape.hotY = height - 1;
  const size_t n = static_cast<size_t>(width) * height;
  shape.andMask.assign(n, 1);
  shape.xorMask.assign(n, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const size_t i = static_cast<size_t>(y) * width + x;
      shape.andMask[i] = (x + y) % 3 == 0;
      shape.xorMask[i] = x % 2 == 0;
    }
  if (colour) {
    shape.colour.assign(n, 0);
    for (size_t i = 0; i < n; ++i) shape.colour[i] = shape.xorMask[i] ? 0x3070E0 : 0x00FF00;
    shape.xorMask.clear();
  }
  return shape;
}

TEST(FrameStep, CursorsLargerThanThirtyTwoLeaveNoTrail) {
  for (uint8_t depth : {uint8_t{8}, uint8_t{24}, uint8_t{32}}) {
    mw::Segment s = CursorSegment(90, 70, depth, 10);
    s.shapes = {LargeShape(64, 48, false)};
    if (depth != 8) s.shapes.push_back(LargeShape(40, 72, true));
    const int positions[][2] = {{45, 60}, {80, 30}, {5, 69}, {30, 10}, {89, 0}, {60, 65}, {0, 0}, {44, 40}};
    for (size_t f = 0; f < s.frames.size(); ++f)
      s.frames[f].cursor = {static_cast<uint16_t>(f % s.shapes.size()), static_cast<uint16_t>(positions[f % 8][0]),
                            static_cast<uint16_t>(positions[f % 8][1])};
    PlayAndCompare({s});
  }
}

TEST(FrameStep, HotSpotsAtTheEndsOfTheirRangeDrawNothing) {
  mw::Segment s = CursorSegment(20, 10, 32, 4);
  s.shapes = {mw::ArrowShape(), mw::ArrowShape()};
  s.shapes[0].hotX = INT32_MIN;
  s.shapes[1].hotY = INT32_MAX;
  for (size_t f = 0; f < s.frames.size(); ++f) s.frames[f].cursor = {static_cast<uint16_t>(f % 2), 65535, 65535};
  Playback playback;
  fixtures::LoadMovie(playback, {s});
  ASSERT_EQ(playback.SetCurSegment(), result::AllRight);
  for (size_t f = 0; f < s.frames.size(); ++f) {
    ASSERT_EQ(playback.ComposePicture(), result::AllRight);
    EXPECT_EQ(ComposedPicture(playback).pixels, s.frames[f].picture.pixels) << f;
    playback.NextFrame();
  }
}

// A raw frame record with the given runs.
std::vector<uint8_t> Record(int depth, const std::vector<std::pair<uint32_t, uint32_t>>& runs) {
  std::vector<uint8_t> r(8, 0);
  for (const auto& [colour, count] : runs) {
    r.push_back(static_cast<uint8_t>(colour));
    if (depth != 8) {
      r.push_back(static_cast<uint8_t>(colour >> 8));
      r.push_back(static_cast<uint8_t>(colour >> 16));
    }
    r.push_back(static_cast<uint8_t>(count));
    if (depth != 8) r.push_back(static_cast<uint8_t>(count >> 8));
  }
  const uint32_t length = static_cast<uint32_t>(r.size()), n = static_cast<uint32_t>(runs.size());
  for (int b = 0; b < 4; ++b) {
    r[b] = static_cast<uint8_t>(length >> (8 * b));
    r[4 + b] = static_cast<uint8_t>(n >> (8 * b));
  }
  return r;
}

TEST(ApplyFrameRecord, RunsCrossPaddedRowsAndCountZeroWritesNothing) {
  // 10 pixels wide at 8 bits: rows of 12 bytes, 2 of them padding, which no
  // run may touch.
  auto picture = gdi::CreateDIBSection(10, 4, 8);
  ASSERT_EQ(picture->Stride(), 12);
  const auto record = Record(8, {{7, 25}, {9, 0}, {5, 10}, {0, 5}});
  TChangedArea changed;
  changed.Reset(picture->ByteSize(), picture->BitsPerPixel() / 8);
  const TFrameApplied applied =
      ApplyFrameRecord(record.data(), static_cast<int64_t>(record.size()), 8, *picture, changed);
  EXPECT_EQ(applied.bytes, static_cast<int64_t>(record.size()));
  EXPECT_FALSE(applied.cut);
  EXPECT_EQ(changed.FirstByte(), 0u);
  for (int i = 0; i < 40; ++i) {
    const uint32_t expected = i < 25 ? 7 : i < 35 ? 5 : 0;
    ASSERT_EQ(picture->PixelValue(i % 10, i / 10), expected) << i;
  }
  for (int row = 0; row < 4; ++row)
    for (int pad = 10; pad < 12; ++pad) EXPECT_EQ(picture->Bits()[row * 12 + pad], 0) << row;
}

TEST(ApplyFrameRecord, UnchangedFrameOf769By569ChangesNothing) {
  auto picture = gdi::CreateCompatibleBitmap(769, 569);
  for (int y = 0; y < 569; ++y)
    for (int x = 0; x < 769; ++x) picture->SetPixelValue(x, y, static_cast<uint32_t>(x * 31 + y));
  const std::vector<uint8_t> before(picture->Bits(), picture->Bits() + picture->ByteSize());
  std::vector<std::pair<uint32_t, uint32_t>> runs(6, {0, 65535});
  runs.push_back({0, 44351});
  const auto record = Record(32, runs);
  ASSERT_EQ(record.size(), 43u);
  TChangedArea changed;
  changed.Reset(picture->ByteSize(), picture->BitsPerPixel() / 8);
  EXPECT_FALSE(ApplyFrameRecord(record.data(), 43, 32, *picture, changed).cut);
  EXPECT_TRUE(changed.Empty());
  EXPECT_EQ(std::vector<uint8_t>(picture->Bits(), picture->Bits() + picture->ByteSize()), before);
}

TEST(ApplyFrameRecord, AChangeAreaOfOtherChunksIsTakenAsChangedAllOver) {
  // An area kept for 32-bit pixels given an 8-bit picture: the runs can't
  // mark its chunks, so all of it counts as changed, the run's pixel too.
  auto picture = gdi::CreateDIBSection(40, 3, 8);
  TChangedArea changed;
  changed.Reset(picture->ByteSize(), 4);
  const auto record = Record(8, {{0, 50}, {7, 1}});
  EXPECT_FALSE(ApplyFrameRecord(record.data(), static_cast<int64_t>(record.size()), 8, *picture, changed).cut);
  EXPECT_EQ(picture->PixelValue(10, 1), 7u);
  EXPECT_EQ(changed.ChunkBytes(), 4u);
  EXPECT_EQ(changed.FirstByte(), 0u);
  EXPECT_GE(changed.EndByte(), picture->ByteSize());
}

TEST(ApplyFrameRecord, StopsAtThePictureAndAtTheStream) {
  auto picture = gdi::CreateDIBSection(5, 2, 8);
  // More pixels than the picture has: the rest is dropped.
  auto record = Record(8, {{3, 255}, {4, 255}});
  TChangedArea changed;
  changed.Reset(picture->ByteSize(), picture->BitsPerPixel() / 8);
  const TFrameApplied overrun =
      ApplyFrameRecord(record.data(), static_cast<int64_t>(record.size()), 8, *picture, changed);
  EXPECT_EQ(picture->PixelValue(4, 1), 3u);
  EXPECT_TRUE(overrun.cut);
  EXPECT_EQ(overrun.bytes, 8 + 2);
  // A run count beyond the bytes given: only whole runs inside them are read.
  auto truncated = Record(8, {{1, 2}, {2, 2}, {5, 2}});
  truncated[4] = 200;
  auto fresh = gdi::CreateDIBSection(5, 2, 8);
  const TFrameApplied cut = ApplyFrameRecord(truncated.data(), 8 + 2 * 2 + 1, 8, *fresh, changed);
  EXPECT_TRUE(cut.cut);
  EXPECT_EQ(cut.bytes, 8 + 2 * 2);
  EXPECT_EQ(fresh->PixelValue(1, 0), 1u);
  EXPECT_EQ(fresh->PixelValue(2, 0), 2u);
  EXPECT_EQ(fresh->PixelValue(4, 0), 0u);
  TChangedArea none;
  none.Reset(fresh->ByteSize(), fresh->BitsPerPixel() / 8);
  EXPECT_EQ(ApplyFrameRecord(record.data(), 7, 8, *fresh, none).bytes, 0);
  EXPECT_TRUE(none.Empty());
}

TEST(ApplyFrameRecord, RunsOfEveryLengthMatchAPixelByPixelXorAndAreMarked) {
  // Single pixels, short runs and runs long enough for the vector path, in
  // pictures of both pixel sizes, with and without row padding (8-bit rows
  // of 61 pixels take 64 bytes); 8-bit counts stop at 255.
  for (const auto& [depth, width] : {std::pair{8, 64}, std::pair{8, 61}, std::pair{32, 64}}) {
    auto picture = depth == 8 ? gdi::CreateDIBSection(width, 40, 8) : gdi::CreateCompatibleBitmap(width, 40);
    const int64_t total = int64_t{width} * 40;
    std::vector<uint32_t> expected(static_cast<size_t>(total), 0);
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    uint32_t seed = 12345;
    const auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
    for (int64_t at = 0; at < total;) {
      const uint32_t lengths[] = {1, 1, 3, 31, 32, 33, 200};
      const uint32_t count = std::min<uint32_t>(lengths[next() % 7], static_cast<uint32_t>(total - at));
      const uint32_t colour = next() % 3 == 0 ? 0 : (depth == 8 ? 1 + next() % 255 : 1 + next() % 0xFFFFFF);
      runs.push_back({colour, count});
      for (uint32_t k = 0; k < count; ++k) expected[static_cast<size_t>(at + k)] ^= colour;
      at += count;
    }
    const auto record = Record(depth, runs);
    TChangedArea changed;
    changed.Reset(picture->ByteSize(), picture->BitsPerPixel() / 8);
    EXPECT_FALSE(ApplyFrameRecord(record.data(), static_cast<int64_t>(record.size()), depth, *picture, changed).cut);
    std::vector<bool> marked(picture->ByteSize(), false);
    changed.ForEachRange([&](size_t begin, size_t end) {
      for (size_t b = begin; b < std::min(end, marked.size()); ++b) marked[b] = true;
    });
    const size_t pixelBytes = static_cast<size_t>(depth / 8);
    for (int64_t i = 0; i < total; ++i) {
      const int x = static_cast<int>(i % width), y = static_cast<int>(i / width);
      ASSERT_EQ(picture->PixelValue(x, y), expected[static_cast<size_t>(i)]) << depth << " pixel " << i;
      if (expected[static_cast<size_t>(i)] != 0) {
        const size_t at = static_cast<size_t>(y) * picture->Stride() + static_cast<size_t>(x) * pixelBytes;
        ASSERT_TRUE(marked[at]) << i;
        // The bounds of the whole, which pick the rows to repaint, hold it too.
        ASSERT_LE(changed.FirstByte(), at);
        ASSERT_GT(changed.EndByte(), at);
      }
    }
  }
}

TEST(ApplyFrameRecord, StretchesOfBlankRunsAtEightBitsAreSkippedExactly) {
  // A still stretch of an 8-bit picture is many blank runs in a row, passed
  // over in blocks: stretches of every length up to past two blocks, counts
  // of 0 and 255 among them, in rows with and without padding, and runs that
  // go on past the end of the picture, which are not applied.
  for (const int width : {64, 61}) {
    auto picture = gdi::CreateDIBSection(width, 40, 8);
    const int64_t total = int64_t{width} * 40;
    std::vector<uint32_t> expected(static_cast<size_t>(total), 0);
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    uint32_t seed = 777;
    const auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
    int64_t at = 0, applied = 0;
    for (int stretch = 1; at < total + 2000; stretch = stretch % 40 + 1) {
      for (int k = 0; k < stretch; ++k) {
        const uint32_t counts[] = {0, 1, 7, 255, next() % 256};
        runs.push_back({0, counts[next() % 5]});
      }
      runs.push_back({1 + next() % 255, 1 + next() % 20});
      for (size_t r = runs.size() - static_cast<size_t>(stretch) - 1; r < runs.size(); ++r) {
        const auto [colour, count] = runs[r];
        if (at < total) ++applied;
        for (uint32_t k = 0; k < count && at + k < total; ++k) expected[static_cast<size_t>(at + k)] ^= colour;
        at += count;
      }
    }
    const auto record = Record(8, runs);
    TChangedArea changed;
    changed.Reset(picture->ByteSize(), picture->BitsPerPixel() / 8);
    const TFrameApplied result =
        ApplyFrameRecord(record.data(), static_cast<int64_t>(record.size()), 8, *picture, changed);
    EXPECT_EQ(result.bytes, 8 + applied * 2) << width;
    for (int64_t i = 0; i < total; ++i)
      ASSERT_EQ(picture->PixelValue(static_cast<int>(i % width), static_cast<int>(i / width)),
                expected[static_cast<size_t>(i)])
          << width << " pixel " << i;
  }
}

TEST(FrameStep, PaletteRecordPastTheTableIsCut) {
  Playback playback;
  mw::Segment s = CursorSegment(4, 1, 8, 2);
  s.shapes.clear();
  s.frames[0].palette = {254, {0x010203, 0x040506, 0x070809, 0x0A0B0C}};
  s.frames[1].palette = {0, {0xFFFFFF}};
  fixtures::LoadMovie(playback, {s});
  ASSERT_EQ(playback.SetCurSegment(), result::AllRight);
  ASSERT_EQ(playback.ComposePicture(), result::AllRight);
  EXPECT_EQ(playback.ColorTable[254], (gdi::RGBQuad{3, 2, 1, 0}));
  EXPECT_EQ(playback.ColorTable[255], (gdi::RGBQuad{6, 5, 4, 0}));
  EXPECT_EQ(playback.ColorTable[0], (gdi::RGBQuad{}));
  // The whole record was read: the next one is where it should be.
  playback.NextFrame();
  ASSERT_EQ(playback.ComposePicture(), result::AllRight);
  EXPECT_EQ(playback.ColorTable[0], (gdi::RGBQuad{255, 255, 255, 0}));
}

TEST(FrameStep, EndOfSegmentLeavesTheLastRecordCurrent) {
  Playback playback;
  fixtures::LoadMovie(playback, {CursorSegment(4, 4, 32, 3)});
  ASSERT_EQ(playback.SetCurSegment(), result::AllRight);
  EXPECT_EQ(playback.NextFrame(), result::AllRight);
  EXPECT_EQ(playback.NextFrame(), result::AllRight);
  const uint8_t* last = playback.CurFrame;
  EXPECT_EQ(playback.NextFrame(), result::OutOfIndexBound);
  EXPECT_EQ(playback.FrameIndex, 3);
  EXPECT_EQ(playback.CurFrame, last);
}

TEST(SegmentActivation, PixelFormatsAndRowBytes) {
  Playback playback;
  fixtures::LoadMovie(playback,
                      {CursorSegment(769, 2, 32, 1), CursorSegment(769, 2, 24, 1), CursorSegment(769, 2, 8, 1)});
  const int expected[][3] = {{4, 5, 3076}, {3, 5, 2307}, {1, 2, 769}};
  for (int s = 0; s < 3; ++s) {
    playback.CurSegment = s;
    ASSERT_EQ(playback.SetCurSegment(), result::AllRight);
    EXPECT_EQ(playback.PixelBytes, expected[s][0]);
    EXPECT_EQ(playback.RunRecordBytes, expected[s][1]);
    EXPECT_EQ(playback.RowBytes, expected[s][2]);
    EXPECT_EQ(playback.RunColorBytes, s == 2 ? 1 : 3);
  }
}

TEST(SegmentActivation, PicturesKeptOnlyForUnchangedScreenDepthSegments) {
  Playback playback;
  fixtures::LoadMovie(playback, {CursorSegment(8, 8, 32, 1), CursorSegment(8, 8, 32, 1), CursorSegment(8, 8, 24, 1),
                                 CursorSegment(8, 8, 24, 1)});
  const int created[] = {1, 1, 2, 3};
  for (int s = 0; s < 4; ++s) {
    playback.CurSegment = s;
    ASSERT_EQ(playback.SetCurSegment(), result::AllRight);
    EXPECT_EQ(playback.PicturesCreated, created[s]) << s;
    // Every activation starts from black.
    for (int y = 0; y < 8; ++y) ASSERT_EQ(playback.ShownPicture()->PixelValue(y, y), 0u);
    ASSERT_EQ(playback.ComposePicture(), result::AllRight);
  }
}

TEST(SegmentActivation, CodesAndLimits) {
  Playback playback;
  EXPECT_EQ(playback.SetCurSegment(), result::NoSegments);
  fixtures::LoadMovie(playback, {CursorSegment(4, 4, 32, 1)});
  playback.CurSegment = 5;
  EXPECT_EQ(playback.SetCurSegment(), result::AllRight);
  EXPECT_EQ(playback.CurSegment, 0);

  SegInfo& segment = *playback.SegmentList[0];
  segment.SegStream->SetSize(TMoviePlayback::FrameBufferSize);
  EXPECT_EQ(playback.SetCurSegment(), result::AllRight);
  segment.SegStream->SetSize(TMoviePlayback::FrameBufferSize + 1);
  try {
    playback.SetCurSegment();
    ADD_FAILURE();
  } catch (const platform::Exception& e) { EXPECT_STREQ(e.what(), "Segment is too big"); }
  segment.CursStream.reset();
  EXPECT_THROW(playback.SetCurSegment(), platform::Exception);

  Playback noBuffer;
  noBuffer.FreeFrameBuffer();
  EXPECT_EQ(noBuffer.SetCurSegment(), result::SegmentIsNil);
}

TEST(SegmentActivation, UnsupportedDepthDrawsNothing) {
  Playback playback;
  fixtures::LoadMovie(playback, {CursorSegment(4, 4, 32, 1)});
  playback.SegmentList[0]->BitsPerPixel = 16;
  playback.SetCurSegment();
  EXPECT_EQ(playback.unsupported, 1);
  EXPECT_FALSE(playback.ShownPicture());
  EXPECT_EQ(playback.ComposePicture(), result::NoText);
}

TEST(SegmentActivation, LargerThanTheScreenPresetsTheScale) {
  const platform::ScreenMetrics saved = platform::Screen();
  platform::ScreenMetrics screen = saved;
  screen.width = 1024;
  screen.height = 768;
  platform::SetScreen(screen);
  Playback playback;
  mw::Segment s = CursorSegment(1, 1, 8, 0);
  s.width = 1600;
  s.height = 1200;
  fixtures::LoadMovie(playback, {s});
  ASSERT_EQ(playback.SetCurSegment(), result::AllRight);
  EXPECT_TRUE(playback.StretchPicture);
  EXPECT_EQ(playback.ScaledWidth, 1024);
  EXPECT_EQ(playback.ScaledHeight, 768);
  platform::SetScreen(saved);
}

TEST(Progress, PlayedAndTotalFrames) {
  Playback playback;
  EXPECT_EQ(playback.TotalFrames(), 0);
  EXPECT_EQ(playback.PlayedFrames(), 0);
  fixtures::LoadMovie(playback,
                      {CursorSegment(1, 1, 32, 14), CursorSegment(1, 1, 32, 169), CursorSegment(1, 1, 32, 275)});
  EXPECT_EQ(playback.TotalFrames(), 458);
  playback.CurSegment = 2;
  playback.FrameIndex = 0;
  EXPECT_EQ(playback.PlayedFrames() + 1, 184);
  playback.CurSegment = -1;
  EXPECT_EQ(playback.PlayedFrames(), 0);
}

}  // namespace
