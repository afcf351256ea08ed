#include "ScreencastMovies.h"

#include <cstring>
#include <functional>
#include <fstream>
#include <string>
#include <vector>

#include "MovieReader.h"
#include "MovieWriter.h"

namespace mw = moviewriter;

namespace {

uint32_t Colour(int depth, uint32_t rgb, uint32_t index) { return depth == 8 ? index : rgb; }

void Fill(mw::Picture& p, int left, int top, int width, int height, uint32_t value) {
  for (int y = std::max(top, 0); y < std::min(top + height, p.height); ++y)
    for (int x = std::max(left, 0); x < std::min(left + width, p.width); ++x) p.at(x, y) = value;
}

// `frame` moves the desktop on; `caret` blinks the caret alone.
void Desktop(mw::Picture& p, int depth, int frame, int caret) {
  const bool switched = frame >= 100 && frame < 200;  // two whole-screen switches
  Fill(p, 0, 0, p.width, p.height, Colour(depth, switched ? 0xF0F0F0 : 0x3A6EA5, switched ? 7 : 3));
  Fill(p, 0, p.height - 30, p.width, 30, Colour(depth, 0xC0C0C0, 8));
  // An editor with typed text and a blinking caret.
  Fill(p, 40, 40, p.width / 2, p.height / 2, Colour(depth, 0xFFFFFF, 255));
  const int typed = frame % 100;
  for (int c = 0; c < typed; ++c) Fill(p, 50 + (c % 60) * 9, 60 + (c / 60) * 16, 7, 12, Colour(depth, 0x101010, 1));
  if (caret % 10 < 5) Fill(p, 50 + (typed % 60) * 9, 60 + (typed / 60) * 16, 2, 12, Colour(depth, 0, 0));
  // A dialog dragged across the screen.
  const int left = 100 + (frame * 3) % std::max(1, p.width - 500);
  Fill(p, left, p.height / 3, 400, 250, Colour(depth, 0xD4D0C8, 9));
  Fill(p, left, p.height / 3, 400, 20, Colour(depth, 0x0A246A, 4));
}

uint32_t Hash(uint32_t v) {
  v ^= v >> 16;
  v *= 0x7FEB352Du;
  v ^= v >> 15;
  v *= 0x846CA68Bu;
  return v ^ (v >> 16);
}

// Pixels unlike the last frame's everywhere: in runs of 300, or each unlike its neighbours too.
void Changing(mw::Picture& p, int depth, int frame, bool singlePixelRuns) {
  uint32_t* pixels = p.pixels.data();
  const size_t n = p.pixels.size();
  for (size_t i = 0; i < n; ++i) {
    const uint32_t key = singlePixelRuns ? static_cast<uint32_t>(i) : static_cast<uint32_t>(i / 300);
    const uint32_t v = Hash(key * 977u + static_cast<uint32_t>(frame) * 0x9E3779B9u);
    pixels[i] = depth == 8 ? 1 + v % 254 : v & 0xFFFFFF;
  }
}

// The arrow of the writer, read back as the player reads shapes.
std::unique_ptr<TCursorList> ArrowCursorList() {
  mw::Segment holder;
  holder.name = "cursor";
  holder.width = holder.height = 1;
  holder.shapes = {mw::ArrowShape()};
  const mw::Movie movie = mw::WriteMovie({holder});
  platform::TMemoryStream stream;
  stream.WriteBuffer(movie.bytes.data(), static_cast<int64_t>(movie.bytes.size()));
  std::vector<std::unique_ptr<SegInfo>> segments;
  (void)ReadSegmentEntries(stream);
  ReadSegmentBlock(stream, segments, 1);
  return std::move(segments.front()->CursorList);
}

}  // namespace

std::unique_ptr<SegInfo> MakeDrawnSegment(int width, int height, int depth, int frames,
                                          const std::function<void(mw::Picture&, int frame)>& draw) {
  auto segment = std::make_unique<SegInfo>();
  segment->Width = width;
  segment->Height = height;
  segment->BitsPerPixel = static_cast<uint8_t>(depth);
  segment->FrameCount = frames;
  segment->FrameRate = 5;
  segment->SegStream = std::make_unique<platform::TMemoryStream>();
  segment->CursStream = std::make_unique<platform::TMemoryStream>();
  segment->CursorList = ArrowCursorList();
  if (depth == 8) segment->PaletteStream = std::make_unique<platform::TMemoryStream>();
  mw::Picture previous(width, height, 0), current(width, height, 0);
  for (int f = 0; f < frames; ++f) {
    // The picture drawn is the last one's, for drawing only what changes.
    current.pixels = previous.pixels;
    draw(current, f);
    const std::vector<uint8_t> record = mw::EncodeFrame(previous, current, depth);
    segment->SegStream->WriteBuffer(record.data(), static_cast<int64_t>(record.size()));
    const uint16_t x = static_cast<uint16_t>(200 + f * 4 % (width - 300)), y = static_cast<uint16_t>(300 + f % 200);
    const uint8_t cursor[6] = {0,
                               0,
                               static_cast<uint8_t>(x),
                               static_cast<uint8_t>(x >> 8),
                               static_cast<uint8_t>(y),
                               static_cast<uint8_t>(y >> 8)};
    segment->CursStream->WriteBuffer(cursor, 6);
    if (depth == 8) {
      const uint8_t none = 0;
      segment->PaletteStream->WriteBuffer(&none, 1);
    }
    std::swap(previous, current);
  }
  segment->SegStreamSize = static_cast<int32_t>(segment->SegStream->Size());
  segment->CursStreamSize = static_cast<int32_t>(segment->CursStream->Size());
  return segment;
}

std::unique_ptr<SegInfo> MakeScreencast(TScreencast kind, int width, int height, int depth, int frames) {
  return MakeDrawnSegment(width, height, depth, frames, [&](mw::Picture& current, int f) {
    if (kind == TScreencast::Typical) {
      Desktop(current, depth, f, f);
    } else if (kind == TScreencast::Lesson) {
      Desktop(current, depth, f / 100 * 50 + std::min(f % 100, 50), f);
    } else if (kind == TScreencast::Static) {
      Desktop(current, depth, 50, f);
    } else {
      Changing(current, depth, f, kind == TScreencast::WorstCase);
    }
  });
}

void WriteScreencastMovie(const std::string& path, TScreencast kind, int width, int height, int frames,
                          int segments) {
  std::ofstream out(path, std::ios::binary);
  const auto put32 = [&](int32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  put32(segments);
  std::vector<std::unique_ptr<SegInfo>> made;
  for (int s = 0; s < segments; ++s) made.push_back(MakeScreencast(kind, width, height, 32, frames));
  for (const auto& segment : made) {
    char name[256] = {};
    out.write(name, 256);
    put32(segment->FrameCount);
    out.put(static_cast<char>(segment->FrameRate));
  }
  const std::vector<uint8_t> shape = [] {
    mw::Segment holder;
    holder.name = "x";
    holder.width = holder.height = 1;
    holder.shapes = {mw::ArrowShape()};
    const mw::Movie m = mw::WriteMovie({holder});
    const mw::Field& f = m.Find(1, "cursor shape");
    return std::vector<uint8_t>(m.bytes.begin() + f.offset, m.bytes.begin() + f.offset + f.size);
  }();
  for (const auto& segment : made) {
    put32(1);
    out.write(reinterpret_cast<const char*>(shape.data()), static_cast<std::streamsize>(shape.size()));
    put32(segment->SegStreamSize);
    put32(segment->CursStreamSize);
    put32(segment->Width);
    put32(segment->Height);
    out.put(32);
    put32(segment->FrameCount);
    out.put(static_cast<char>(segment->FrameRate));
    char name[256] = {};
    out.write(name, 256);
    out.write(reinterpret_cast<const char*>(segment->CursStream->Memory()), segment->CursStreamSize);
    out.write(reinterpret_cast<const char*>(segment->SegStream->Memory()), segment->SegStreamSize);
  }
}
