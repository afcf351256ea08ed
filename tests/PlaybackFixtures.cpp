#include "PlaybackFixtures.h"

#include <gtest/gtest.h>

#include "MovieReader.h"

namespace mw = moviewriter;

namespace fixtures {

void LoadMovie(TMoviePlayback& playback, const std::vector<mw::Segment>& segments) {
  const mw::Movie movie = mw::WriteMovie(segments);
  platform::TMemoryStream stream;
  stream.WriteBuffer(movie.bytes.data(), static_cast<int64_t>(movie.bytes.size()));
  ReadMovie(stream, playback.SegmentList);
}

mw::Picture ExpectedPicture(const mw::Segment& segment, int frame) {
  mw::Picture picture = segment.frames[static_cast<size_t>(frame)].picture;
  const int records = segment.cursorRecords < 0 ? static_cast<int>(segment.frames.size()) : segment.cursorRecords;
  if (records == 0) return picture;
  const mw::CursorRecord& cursor = segment.frames[static_cast<size_t>(std::min(frame, records - 1))].cursor;
  if (cursor.shape >= segment.shapes.size()) return picture;
  const mw::Shape& shape = segment.shapes[cursor.shape];
  const bool indexed = segment.bitsPerPixel == 8;
  const uint32_t all = indexed ? 0xFF : 0xFFFFFF;
  const int left = cursor.x - shape.hotX, top = cursor.y - shape.hotY;
  for (int y = 0; y < shape.height; ++y) {
    for (int x = 0; x < shape.width; ++x) {
      const int px = left + x, py = top + y;
      if (px < 0 || py < 0 || px >= picture.width || py >= picture.height) continue;
      const size_t i = static_cast<size_t>(y) * shape.width + x;
      uint32_t& pixel = picture.at(px, py);
      pixel &= shape.andMask[i] ? all : 0;
      pixel ^= shape.colour.empty() ? (shape.xorMask[i] ? all : 0) : shape.colour[i];
    }
  }
  return picture;
}

mw::Picture ComposedPicture(const TMoviePlayback& playback) {
  const gdi::Bitmap* bitmap = playback.ShownPicture();
  mw::Picture picture(bitmap->Width(), bitmap->Height());
  for (int y = 0; y < bitmap->Height(); ++y)
    for (int x = 0; x < bitmap->Width(); ++x)
      picture.at(x, y) = bitmap->BitsPerPixel() == 8 ? bitmap->PixelValue(x, y) : bitmap->PixelValue(x, y) & 0xFFFFFF;
  return picture;
}

namespace {

struct Fnv {
  uint64_t value = 0xcbf29ce484222325u;
  void Add(const uint8_t* bytes, size_t size) {
    for (size_t i = 0; i < size; ++i) value = (value ^ bytes[i]) * 0x100000001b3u;
  }
};

}  // namespace

uint64_t PictureChecksum(const TMoviePlayback& playback, bool withColours) {
  const gdi::Bitmap& picture = *playback.ShownPicture();
  Fnv sum;
  const size_t rowBytes = static_cast<size_t>(picture.Width()) * picture.BitsPerPixel() / 8;
  for (int y = 0; y < picture.Height(); ++y)
    sum.Add(picture.Bits() + static_cast<size_t>(y) * picture.Stride(), rowBytes);
  if (withColours && picture.BitsPerPixel() == 8)
    sum.Add(reinterpret_cast<const uint8_t*>(playback.ColorTable.data()), sizeof playback.ColorTable);
  return sum.value;
}

std::vector<std::vector<uint64_t>> FrameChecksums(const std::vector<uint8_t>& movie, bool withColours,
                                                  bool withCursor) {
  TMoviePlayback playback;
  playback.DrawsCursor = withCursor;
  EXPECT_EQ(playback.AllocFrameBuffer(TMoviePlayback::FrameBufferSize), result::AllRight);
  platform::TBorrowedMemoryStream stream(movie.data(), static_cast<int64_t>(movie.size()));
  ReadMovie(stream, playback.SegmentList);
  std::vector<std::vector<uint64_t>> sums(playback.SegmentList.size());
  for (size_t s = 0; s < playback.SegmentList.size(); ++s) {
    playback.CurSegment = static_cast<int32_t>(s);
    EXPECT_EQ(playback.SetCurSegment(), result::AllRight) << s;
    for (int32_t f = 0; f < playback.SegmentList[s]->FrameCount; ++f) {
      EXPECT_EQ(playback.ComposePicture(), result::AllRight) << s << " " << f;
      sums[s].push_back(PictureChecksum(playback, withColours));
      if (f + 1 < playback.SegmentList[s]->FrameCount) { EXPECT_EQ(playback.NextFrame(), result::AllRight); }
    }
  }
  return sums;
}

std::vector<TWrittenSegment> WrittenLayout(const std::vector<mw::Segment>& segments, const mw::Movie& movie) {
  std::vector<TWrittenSegment> layout;
  for (size_t s = 0; s < segments.size(); ++s) {
    TWrittenSegment segment;
    segment.start = movie.Find(static_cast<int>(s) + 1, "shape count").offset;
    segment.framesStart = movie.Find(static_cast<int>(s) + 1, "frame stream").offset;
    int64_t at = segment.framesStart;
    mw::Picture previous(segments[s].width, segments[s].height);
    for (const mw::Frame& frame : segments[s].frames) {
      at += static_cast<int64_t>(mw::EncodeFrame(previous, frame.picture, segments[s].bitsPerPixel).size());
      segment.recordEnds.push_back(at);
      previous = frame.picture;
    }
    layout.push_back(segment);
  }
  return layout;
}

mw::Picture Pattern(int width, int height, int depth, int seed) {
  mw::Picture p(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t v = static_cast<uint32_t>(x * 37 + y * 101 + seed * 53 + ((x + seed) % 3 == 0 ? 7 : 0));
      // Index 0 and 255 stay black and white in the 8-bit tests.
      p.at(x, y) = depth == 8 ? 1 + v % 200 : (v * 0x9E3779u) & 0xFFFFFF;
    }
  return p;
}

}  // namespace fixtures
