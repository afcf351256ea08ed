#include "ekCursor.h"

#include <gtest/gtest.h>

#include "FieldReader.h"
#include "MovieWriter.h"
#include "Screen.h"
#include "Streams.h"

namespace {

// The shape record bytes of a one-shape segment, as the writer writes them.
std::vector<uint8_t> ShapeRecord(const moviewriter::Shape& shape) {
  moviewriter::Segment segment;
  segment.name = "s";
  segment.width = 1;
  segment.height = 1;
  segment.shapes = {shape};
  const moviewriter::Movie movie = moviewriter::WriteMovie({segment});
  const moviewriter::Field& field = movie.Find(1, "cursor shape");
  return {movie.bytes.begin() + field.offset, movie.bytes.begin() + field.offset + field.size};
}

void Put32(std::vector<uint8_t>& bytes, size_t at, int32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

struct Loaded {
  uint8_t result;
  int64_t position;
};

Loaded Load(TekCursor& cursor, const std::vector<uint8_t>& bytes, size_t trailing = 0) {
  platform::TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  std::vector<uint8_t> zeros(trailing, 0);
  stream.WriteBuffer(zeros.data(), static_cast<int64_t>(trailing));
  stream.SetPosition(0);
  FieldReader reader(stream);
  const uint8_t result = cursor.LoadFromStream(reader);
  return {result, stream.Position()};
}

TEST(TekCursor, MonochromeRecordGivesHalfHeightCursor) {
  moviewriter::Shape shape = moviewriter::ArrowShape();
  shape.hotX = 10;
  shape.hotY = 10;
  const auto bytes = ShapeRecord(shape);
  ASSERT_EQ(bytes.size(), 34u + 256u);
  TekCursor cursor;
  const Loaded loaded = Load(cursor, bytes);
  EXPECT_EQ(loaded.result, TekCursor::kLoaded);
  ASSERT_TRUE(cursor.Handle());
  EXPECT_EQ(cursor.Handle()->Width(), 32);
  EXPECT_EQ(cursor.Handle()->Height(), 32);
  EXPECT_EQ(cursor.Handle()->HotSpotX(), 10);
  EXPECT_EQ(cursor.MaskInfo.Height, 64);
  EXPECT_EQ(cursor.MaskInfo.ByteCount, 256);
  EXPECT_FALSE(cursor.ColorInfo.Bitmap);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      ASSERT_EQ(cursor.MaskInfo.Bitmap->PixelValue(x, y), shape.andMask[y * 32 + x]) << x << "," << y;
      ASSERT_EQ(cursor.MaskInfo.Bitmap->PixelValue(x, y + 32), shape.xorMask[y * 32 + x]) << x << "," << y;
    }
}

TEST(TekCursor, OnlyTheColourByteCountMakesAShapeMonochrome) {
  auto bytes = ShapeRecord(moviewriter::ArrowShape());
  const size_t colorInfo = 21 + 256;
  Put32(bytes, colorInfo + 4, 48);
  Put32(bytes, colorInfo + 8, 48);
  TekCursor cursor;
  EXPECT_EQ(Load(cursor, bytes).result, TekCursor::kLoaded);
  ASSERT_TRUE(cursor.Handle());
  EXPECT_FALSE(cursor.Handle()->Color());
}

TEST(TekCursor, ColourBitmapHasTheScreenDepth) {
  const platform::ScreenMetrics saved = platform::Screen();
  for (int screenDepth : {24, 32}) {
    for (int recorded : {24, 32}) {
      platform::ScreenMetrics screen = saved;
      screen.bitsPerPixel = screenDepth;
      platform::SetScreen(screen);
      const moviewriter::Shape shape = moviewriter::ColourArrowShape(recorded);
      TekCursor cursor;
      EXPECT_EQ(Load(cursor, ShapeRecord(shape)).result, TekCursor::kLoaded);
      ASSERT_TRUE(cursor.ColorInfo.Bitmap);
      EXPECT_EQ(cursor.ColorInfo.Bitmap->BitsPerPixel(), screenDepth);
      for (int i = 0; i < 32 * 32; ++i)
        ASSERT_EQ(cursor.ColorInfo.Bitmap->PixelRgb(i % 32, i / 32), shape.colour[i]) << i;
    }
  }
  platform::SetScreen(saved);
}

TEST(TekCursor, SixteenBitRecordsOnEveryScreenAndOnASixteenBitScreen) {
  const platform::ScreenMetrics saved = platform::Screen();
  for (int screenDepth : {16, 32}) {
    for (int recorded : {16, 24, 32}) {
      platform::ScreenMetrics screen = saved;
      screen.bitsPerPixel = screenDepth;
      platform::SetScreen(screen);
      const moviewriter::Shape shape = moviewriter::ColourArrowShape(recorded);
      TekCursor cursor;
      ASSERT_EQ(Load(cursor, ShapeRecord(shape)).result, TekCursor::kLoaded) << screenDepth << " " << recorded;
      ASSERT_TRUE(cursor.ColorInfo.Bitmap);
      EXPECT_EQ(cursor.ColorInfo.Bitmap->BitsPerPixel(), screenDepth);
      // Drawn onto a white picture the shape's colours appear, within what 16 bits keep.
      auto picture = gdi::CreateCompatibleBitmap(32, 32);
      gdi::FillRect(*picture, {0, 0, 32, 32}, gdi::kWhite);
      cursor.Draw(*picture, cursor.HotSpotX, cursor.HotSpotY);
      const bool lossy = screenDepth == 16 || recorded == 16;
      for (int i = 0; i < 32 * 32; ++i) {
        const uint32_t expected = shape.andMask[i] ? 0xFFFFFFu ^ shape.colour[i] : shape.colour[i];
        const uint32_t mask = lossy ? 0xF8FCF8 : 0xFFFFFF;
        ASSERT_EQ(picture->PixelRgb(i % 32, i / 32) & mask, expected & mask)
            << screenDepth << " " << recorded << " " << i;
      }
    }
  }
  platform::SetScreen(saved);
}

TEST(TekCursor, BrokenLimitsGiveAnEmptyShapeAndSkipTheRecord) {
  const auto mono = ShapeRecord(moviewriter::ArrowShape());
  const auto colour = ShapeRecord(moviewriter::ColourArrowShape());
  struct Case {
    const char* what;
    const std::vector<uint8_t>* record;
    size_t offset;
    int32_t value;
  };
  const size_t colorInfo = 21 + 128;
  const Case cases[] = {
      {"mask bytes fewer than the mask needs", &mono, 8, 255},
      {"mask width 0", &mono, 12, 0},
      {"mask width absurd", &mono, 12, 1 << 20},
      {"mask height negative", &mono, 16, -64},
      {"colour bytes more than the image holds", &colour, colorInfo, 32 * 32 * 4 + 1},
      {"colour width 0", &colour, colorInfo + 4, 0},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = *c.record;
    Put32(bytes, c.offset, c.value);
    // The record itself holds the mask bytes its count says.
    if (c.offset == 8) bytes.erase(bytes.begin() + 21);
    size_t trailing = 0;
    if (c.offset == colorInfo) trailing = static_cast<size_t>(c.value) - (bytes.size() - colorInfo - 13);
    TekCursor cursor;
    const Loaded loaded = Load(cursor, bytes, trailing);
    EXPECT_EQ(loaded.result, TekCursor::kNoBitmap) << c.what;
    EXPECT_FALSE(cursor.Handle()) << c.what;
    EXPECT_FALSE(cursor.MaskInfo.Bitmap) << c.what;
    EXPECT_EQ(loaded.position, static_cast<int64_t>(bytes.size() + trailing)) << c.what;
  }
  std::vector<uint8_t> bytes = mono;
  bytes[20] = 4;  // a mask of other than one bit
  TekCursor cursor;
  EXPECT_EQ(Load(cursor, bytes).result, TekCursor::kNoBitmap);
}

TEST(TekCursor, ByteCountsPastTheEndOfTheFileAreDamage) {
  const auto mono = ShapeRecord(moviewriter::ArrowShape());
  std::vector<uint8_t> bytes = mono;
  Put32(bytes, 8, 100000);
  TekCursor cursor;
  EXPECT_THROW(Load(cursor, bytes), EMovieDamaged);
  bytes = mono;
  Put32(bytes, 8, -1);
  EXPECT_THROW(Load(cursor, bytes), EMovieDamaged);
  bytes = ShapeRecord(moviewriter::ColourArrowShape());
  bytes.pop_back();
  EXPECT_THROW(Load(cursor, bytes), EMovieDamaged);
}

TEST(TekCursor, ReloadingReleasesThePreviousShape) {
  TekCursor cursor;
  ASSERT_EQ(Load(cursor, ShapeRecord(moviewriter::ColourArrowShape())).result, TekCursor::kLoaded);
  ASSERT_TRUE(cursor.ColorInfo.Bitmap);
  ASSERT_EQ(Load(cursor, ShapeRecord(moviewriter::ArrowShape())).result, TekCursor::kLoaded);
  EXPECT_FALSE(cursor.ColorInfo.Bitmap);
  EXPECT_EQ(cursor.ColorInfo.ByteCount, 0);
  cursor.Clear();
  EXPECT_FALSE(cursor.Handle());
  EXPECT_FALSE(cursor.MaskInfo.Bitmap);
  EXPECT_EQ(cursor.MaskInfo.Width, 0);
}

TEST(TekCursor, DrawPutsTheHotSpotAtThePosition) {
  moviewriter::Shape shape = moviewriter::ColourArrowShape();
  shape.hotX = 5;
  shape.hotY = 3;
  TekCursor cursor;
  ASSERT_EQ(Load(cursor, ShapeRecord(shape)).result, TekCursor::kLoaded);
  auto picture = gdi::CreateDIBSection(40, 40, 32);
  gdi::FillRect(*picture, {0, 0, 40, 40}, 0x808080);
  cursor.Draw(*picture, 10, 10);
  // Pixel (x, y) of the shape lands at (5 + x, 7 + y).
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      if (5 + x >= 40 || 7 + y >= 40) continue;
      const uint32_t expected = ((shape.andMask[y * 32 + x] ? 0x808080u : 0u) ^ shape.colour[y * 32 + x]);
      ASSERT_EQ(picture->PixelRgb(5 + x, 7 + y), expected) << x << "," << y;
    }
}

TEST(TCursorList, SlotsBeyondCountAreEmpty) {
  TCursorList list;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(list.Add(std::make_unique<TekCursor>()), i);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_TRUE(list.Get(2));
  EXPECT_FALSE(list.Get(3));
  EXPECT_FALSE(list.Get(65535));
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(list.Get(0));
}

TEST(TCursorList, HoldsAtMost65536Shapes) {
  TCursorList list;
  for (int i = 0; i < TCursorList::kCapacity; ++i) ASSERT_EQ(list.Add(nullptr), i);
  EXPECT_EQ(list.Add(std::make_unique<TekCursor>()), -1);
  EXPECT_EQ(list.Count(), 65536);
}

}  // namespace
