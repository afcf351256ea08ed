#include "MovieDamaged.h"
#include "MovieReader.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "Gdi.h"
#include "MoviePlayback.h"
#include "MovieWriter.h"

namespace mw = moviewriter;

namespace {

struct LoadedMovie {
  std::vector<SegmentTableEntry> table;
  std::vector<std::unique_ptr<SegInfo>> segments;
};

LoadedMovie Load(const std::vector<uint8_t>& bytes) {
  platform::TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  LoadedMovie movie;
  movie.table = ReadMovie(stream, movie.segments);
  return movie;
}

mw::Picture Pattern(int w, int h, int bpp, int seed) {
  mw::Picture p(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      p.at(x, y) = bpp == 8 ? static_cast<uint32_t>((x / 4 * 7 + y * 3 + seed) % 256)
                            : static_cast<uint32_t>((x / 4 * 0x10305 + y * 0x20101 + seed * 0x111) & 0xFFFFFF);
  return p;
}

mw::Segment MakeSegment(const std::string& name, int w, int h, uint8_t bpp, int frames, int shapes) {
  mw::Segment s;
  s.name = name;
  s.width = w;
  s.height = h;
  s.bitsPerPixel = bpp;
  s.frameRate = 5;
  if (shapes > 0) s.shapes.push_back(mw::ArrowShape());
  if (shapes > 1) s.shapes.push_back(mw::ColourArrowShape(24));
  for (int f = 0; f < frames; ++f) {
    mw::Frame frame{Pattern(w, h, bpp, f / 2), {static_cast<uint16_t>(f % 3), static_cast<uint16_t>(f), 65492}, {}};
    if (bpp == 8 && f % 2 == 0) frame.palette = {254, {0x102030, 0x405060}};
    s.frames.push_back(std::move(frame));
  }
  return s;
}

std::vector<mw::Segment> VariedMovie() {
  return {MakeSegment("Сегмент 1", 13, 7, 32, 4, 2), MakeSegment("", 10, 3, 24, 3, 1),
          MakeSegment(std::string(300, 'n'), 1, 5, 8, 5, 0), MakeSegment("Пусто", 769, 2, 32, 0, 2),
          MakeSegment("last", 769, 3, 24, 2, 0)};
}

std::vector<uint8_t> Slice(const mw::Movie& movie, int segment, const std::string& label) {
  for (const mw::Field& f : movie.fields)
    if (f.segment == segment && f.label == label)
      return {movie.bytes.begin() + f.offset, movie.bytes.begin() + f.offset + f.size};
  return {};
}

std::vector<uint8_t> Contents(const platform::TMemoryStream& stream) {
  return {stream.Memory(), stream.Memory() + const_cast<platform::TMemoryStream&>(stream).Size()};
}

TEST(MovieReader, RoundTripKeepsEveryFieldStreamAndShape) {
  const std::vector<mw::Segment> written = VariedMovie();
  const mw::Movie movie = mw::WriteMovie(written);
  const LoadedMovie loaded = Load(movie.bytes);
  ASSERT_EQ(loaded.table.size(), written.size());
  ASSERT_EQ(loaded.segments.size(), written.size());
  for (size_t i = 0; i < written.size(); ++i) {
    const mw::Segment& w = written[i];
    const SegInfo& r = *loaded.segments[i];
    const int number = static_cast<int>(i) + 1;
    SCOPED_TRACE("segment " + std::to_string(number));
    const std::string expectedName = w.name.size() > 255 ? w.name.substr(0, 255) : w.name;
    EXPECT_EQ(loaded.table[i].Name.Utf8(), expectedName);
    EXPECT_EQ(loaded.table[i].FrameCount, static_cast<int32_t>(w.frames.size()));
    EXPECT_EQ(r.Name.Utf8(), expectedName);
    EXPECT_EQ(r.Width, w.width);
    EXPECT_EQ(r.Height, w.height);
    EXPECT_EQ(r.BitsPerPixel, w.bitsPerPixel);
    EXPECT_EQ(r.FrameCount, static_cast<int32_t>(w.frames.size()));
    EXPECT_EQ(r.FrameRate, w.frameRate);
    EXPECT_EQ(r.CursStreamSize, static_cast<int32_t>(6 * w.frames.size()));
    EXPECT_EQ(Contents(*r.CursStream), Slice(movie, number, "cursor stream"));
    EXPECT_EQ(Contents(*r.SegStream), Slice(movie, number, "frame stream"));
    EXPECT_EQ(r.SegStreamSize, r.SegStream->Size());
    if (w.bitsPerPixel == 8) {
      ASSERT_TRUE(r.PaletteStream);
      EXPECT_EQ(Contents(*r.PaletteStream), Slice(movie, number, "palette stream"));
    } else {
      EXPECT_FALSE(r.PaletteStream);
    }
    ASSERT_EQ(r.CursorList->Count(), static_cast<int32_t>(w.shapes.size()));
    for (size_t s = 0; s < w.shapes.size(); ++s) {
      const TekCursor& shape = *r.CursorList->Get(static_cast<int>(s));
      EXPECT_TRUE(shape.Handle());
      EXPECT_EQ(shape.HotSpotX, w.shapes[s].hotX);
      EXPECT_EQ(shape.ColorInfo.ByteCount != 0, !w.shapes[s].colour.empty());
    }
  }
}

TEST(MovieReader, FirstFrameRecordCoversTheWholePicture) {
  mw::Segment s = MakeSegment("x", 769, 569, 32, 1, 0);
  for (auto& p : s.frames[0].picture.pixels) p = 0xD4D0C8;
  s.frames[0].picture.at(768, 0) = 0x404040;
  const LoadedMovie loaded = Load(mw::WriteMovie({s}).bytes);
  const uint8_t* record = loaded.segments[0]->SegStream->Memory();
  // 768 pixels of the window colour, then one grey pixel ends the top row.
  EXPECT_EQ(record[8], 0xC8);
  EXPECT_EQ(record[9], 0xD0);
  EXPECT_EQ(record[10], 0xD4);
  EXPECT_EQ(record[11] | record[12] << 8, 768);
  EXPECT_EQ(record[13], 0x40);
  EXPECT_EQ(record[16] | record[17] << 8, 1);
}

TEST(MovieReader, EmptyMovieAndEmptySegments) {
  EXPECT_TRUE(Load(mw::WriteMovie({}).bytes).segments.empty());
  const LoadedMovie loaded = Load(mw::WriteMovie({MakeSegment("z", 4, 4, 8, 0, 0)}).bytes);
  ASSERT_EQ(loaded.segments.size(), 1u);
  EXPECT_EQ(loaded.segments[0]->SegStream->Size(), 0);
  EXPECT_EQ(loaded.segments[0]->CursorList->Count(), 0);
  ASSERT_TRUE(loaded.segments[0]->PaletteStream);
  EXPECT_EQ(loaded.segments[0]->PaletteStream->Size(), 0);
}

TEST(MovieReader, BytesAfterTheLastSegmentAreNeverRead) {
  mw::Movie movie = mw::WriteMovie(VariedMovie());
  movie.bytes.insert(movie.bytes.end(), 1000, 0xEE);
  EXPECT_EQ(Load(movie.bytes).segments.size(), 5u);
}

// Every prefix of a valid movie ends inside some field, and its message names it.
TEST(MovieReader, EveryTruncationIsRefusedNamingSegmentAndField) {
  const mw::Movie movie = mw::WriteMovie(VariedMovie());
  for (size_t length = 0; length < movie.bytes.size(); ++length) {
    const mw::Field* cut = nullptr;
    for (const mw::Field& f : movie.fields)
      if (static_cast<int64_t>(length) >= f.offset && static_cast<int64_t>(length) < f.offset + f.size) cut = &f;
    ASSERT_TRUE(cut) << length;
    const std::vector<uint8_t> prefix(movie.bytes.begin(), movie.bytes.begin() + static_cast<long>(length));
    try {
      Load(prefix);
      FAIL() << "prefix of " << length << " bytes was accepted";
    } catch (const EMovieDamaged& e) {
      const std::string message = e.what();
      if (cut->segment > 0) {
        ASSERT_EQ(message.rfind("segment " + std::to_string(cut->segment) + ": ", 0), 0u) << message;
      }
      ASSERT_NE(message.find(cut->label), std::string::npos) << length << ": " << message;
    }
  }
}

void Put32(std::vector<uint8_t>& bytes, int64_t at, int32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

TEST(MovieReader, OutOfRangeCountsAndLengthsAreRefused) {
  const mw::Movie movie = mw::WriteMovie(VariedMovie());
  const int64_t info2 = movie.Find(2, "segment information").offset;
  struct Case {
    int64_t offset;
    int32_t value;
    const char* message;
  };
  const Case cases[] = {
      {0, -1, "segment count -1 is negative"},
      {0, 0x7FFFFFFF, "segment table of"},
      {movie.Find(1, "shape count").offset, -2, "segment 1: shape count -2 is negative"},
      {movie.Find(1, "shape count").offset, 65537, "segment 1: shape count 65537 is more than"},
      {movie.Find(1, "shape count").offset, 65536, "segment 1: 65536 cursor shapes need at least"},
      {info2, -5, "segment 2: frame stream of -5 bytes is negative"},
      {info2, 70000000, "segment 2: frame stream of 70000000 bytes, but only"},
      {info2 + 4, -6, "segment 2: cursor stream of -6 bytes is negative"},
      {info2 + 4, 0x7FFFFFFF, "segment 2: cursor stream of 2147483647 bytes, but only"},
      {info2 + 8, 32768, "segment 2: picture of 32768 x "},
      {info2 + 12, 16385, "segment 2: picture of "},
      {info2 + 8, 1 << 29, "segment 2: picture of 536870912 x "},
      {info2 + 17, -1, "segment 2: frame count -1 is negative"},
      {info2 + 17, 1000000, "segment 2: 1000000 frames cannot fit in a frame stream of"},
      {movie.Find(3, "palette length").offset, -3, "segment 3: palette stream of -3 bytes is negative"},
      {movie.Find(3, "palette length").offset, 1 << 30, "segment 3: palette stream of 1073741824 bytes, but only"},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = movie.bytes;
    Put32(bytes, c.offset, c.value);
    try {
      Load(bytes);
      ADD_FAILURE() << "accepted: " << c.message;
    } catch (const EMovieDamaged& e) { EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what(); }
  }
}

TEST(MovieReader, PicturesUpToTheLimitsAreTakenAndBeyondThemRefusedByName) {
  const mw::Movie movie = mw::WriteMovie(VariedMovie());
  const int64_t info1 = movie.Find(1, "segment information").offset;
  const auto withSize = [&](int32_t width, int32_t height) {
    std::vector<uint8_t> bytes = movie.bytes;
    Put32(bytes, info1 + 8, width);
    Put32(bytes, info1 + 12, height);
    return bytes;
  };
  EXPECT_NO_THROW(Load(withSize(16384, 4096)));
  EXPECT_NO_THROW(Load(withSize(4096, 16384)));
  try {
    Load(withSize(16384, 4097));
    ADD_FAILURE() << "a picture of more than 2^26 pixels was accepted";
  } catch (const EMovieDamaged& e) {
    EXPECT_EQ(std::string(e.what()),
              "segment 1: picture of 16384 x 4097 pixels is larger than any screen (at most 16384 pixels a side and "
              "67108864 in all)");
  }
  EXPECT_FALSE(gdi::CreateCompatibleBitmap(16385, 1));
  EXPECT_FALSE(gdi::CreateDIBSection(16384, 4097, 8));
}

// A shape record with a 32 x 32 mask and a colour image of side x side
// pixels at 32 bits with `payload` colour bytes (zeros).
std::vector<uint8_t> ColourShapeRecord(int side, int32_t payload) {
  constexpr int32_t kMaskBytes = 4 * 32;
  std::vector<uint8_t> record(8 + 13 + kMaskBytes + 13 + static_cast<size_t>(payload), 0);
  const auto descriptor = [&](size_t at, int32_t bytes, int32_t descriptorSide, uint8_t bitsPerPixel) {
    Put32(record, static_cast<int64_t>(at), bytes);
    Put32(record, static_cast<int64_t>(at) + 4, descriptorSide);
    Put32(record, static_cast<int64_t>(at) + 8, descriptorSide);
    record[at + 12] = bitsPerPixel;
  };
  descriptor(8, kMaskBytes, 32, 1);
  descriptor(21 + kMaskBytes, payload, side, 32);
  return record;
}

// A movie whose segments each hold `shapes` copies of the record and no frames.
std::vector<uint8_t> MovieOfShapes(int segments, int shapes, const std::vector<uint8_t>& record) {
  std::vector<mw::Segment> plain;
  for (int i = 0; i < segments; ++i) plain.push_back(MakeSegment("s", 4, 4, 32, 0, 0));
  const mw::Movie movie = mw::WriteMovie(plain);
  std::vector<uint8_t> bytes;
  int64_t copied = 0;
  for (int segment = 1; segment <= segments; ++segment) {
    const mw::Field& count = movie.Find(segment, "shape count");
    bytes.insert(bytes.end(), movie.bytes.begin() + copied, movie.bytes.begin() + count.offset);
    bytes.resize(bytes.size() + 4);
    Put32(bytes, static_cast<int64_t>(bytes.size()) - 4, shapes);
    for (int i = 0; i < shapes; ++i) bytes.insert(bytes.end(), record.begin(), record.end());
    copied = count.offset + count.size;
  }
  bytes.insert(bytes.end(), movie.bytes.begin() + copied, movie.bytes.end());
  return bytes;
}

// A byte once stood for a megapixel image: these 65 KB of movie took 3.2 GB.
TEST(MovieReader, ShapesWhoseBytesDoNotFillTheirImageStayEmpty) {
  const LoadedMovie movie = Load(MovieOfShapes(1, 400, ColourShapeRecord(1024, 1)));
  ASSERT_EQ(movie.segments[0]->CursorList->Count(), 400);
  EXPECT_FALSE(movie.segments[0]->CursorList->Get(399)->Handle());
  EXPECT_LT(movie.segments[0]->MovieShapeBytes, int64_t{1} << 20);
}

TEST(MovieReader, ShapesOfTheWholeMovieStayWithinTheirBudget) {
  // 4 MiB a shape, kept twice (bitmap and cursor): seven fit, and the
  // eighth, in the second segment, is more than any movie may have.
  const std::vector<uint8_t> record = ColourShapeRecord(1024, 1024 * 1024 * 4);
  const LoadedMovie fits = Load(MovieOfShapes(1, 7, record));
  EXPECT_TRUE(fits.segments[0]->CursorList->Get(6)->Handle());
  try {
    Load(MovieOfShapes(2, 5, record));
    FAIL() << "no error";
  } catch (const EMovieDamaged& e) {
    // The bytes so far depend on the size of the shape object.
    const std::string message = e.what();
    EXPECT_EQ(
        message.rfind("segment 2: cursor shape 3 of 1024 x 1024 pixels brings the movie's cursor shapes to 67", 0), 0u)
        << message;
    EXPECT_NE(message.find(" bytes, more than the 67108864 bytes a movie may have"), std::string::npos) << message;
  }
}

// A gigabyte of frames compresses to a megabyte: it was read whole, only to
// be refused when its segment was played.
TEST(MovieReader, FrameStreamsTooLongToPlayAreNeverHeld) {
  const mw::Movie movie = mw::WriteMovie({MakeSegment("big", 4, 4, 32, 0, 0), MakeSegment("small", 4, 4, 32, 2, 0)});
  std::vector<uint8_t> bytes = movie.bytes;
  const mw::Field& info = movie.Find(1, "segment information");
  constexpr int32_t kLength = int32_t{1} << 30;
  Put32(bytes, info.offset, kLength);
  // The long frame stream is a hole in a sparse file: it costs no disk.
  const std::string path = testing::TempDir() + "long-frames-" + std::to_string(::getpid()) + ".~ekflm";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const auto split = static_cast<std::streamsize>(info.offset + info.size);
    out.write(reinterpret_cast<const char*>(bytes.data()), split);
    out.seekp(kLength, std::ios::cur);
    out.write(reinterpret_cast<const char*>(bytes.data()) + split, static_cast<std::streamsize>(bytes.size()) - split);
  }
  TMoviePlayback playback;
  ASSERT_EQ(playback.AllocFrameBuffer(TMoviePlayback::FrameBufferSize), result::AllRight);
  {
    platform::TFileStream stream(path, platform::TFileStream::Mode::OpenRead, platform::FILE_SHARE_READ);
    ReadMovie(stream, playback.SegmentList);
  }
  std::remove(path.c_str());
  ASSERT_EQ(playback.SegmentList.size(), 2u);
  EXPECT_EQ(playback.SegmentList[0]->SegStream->Size(), 0);
  EXPECT_EQ(playback.SegmentList[0]->SegStreamSize, kLength);
  EXPECT_EQ(Contents(*playback.SegmentList[1]->SegStream), Slice(movie, 2, "frame stream"));
  playback.CurSegment = 0;
  try {
    playback.SetCurSegment();
    ADD_FAILURE() << "no error";
  } catch (const platform::Exception& e) { EXPECT_STREQ(e.what(), "Segment is too big"); }
  playback.CurSegment = 1;
  EXPECT_EQ(playback.SetCurSegment(), result::AllRight);
}

TEST(MovieReader, HalfReadSegmentStaysInTheList) {
  mw::Movie movie = mw::WriteMovie(VariedMovie());
  movie.bytes.resize(static_cast<size_t>(movie.Find(2, "frame stream").offset + 3));
  platform::TMemoryStream stream;
  stream.WriteBuffer(movie.bytes.data(), static_cast<int64_t>(movie.bytes.size()));
  std::vector<std::unique_ptr<SegInfo>> segments;
  const auto table = ReadSegmentEntries(stream);
  ReadSegmentBlock(stream, segments, 1);
  EXPECT_THROW(ReadSegmentBlock(stream, segments, 2), EMovieDamaged);
  EXPECT_EQ(segments.size(), 2u);
}

}  // namespace
