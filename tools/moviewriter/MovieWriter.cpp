#include "MovieWriter.h"

#include <iconv.h>

#include <algorithm>
#include <stdexcept>

namespace moviewriter {
namespace {

class Bytes {
 public:
  explicit Bytes(Movie& movie) : movie_(movie) {}

  int64_t Size() const { return static_cast<int64_t>(movie_.bytes.size()); }
  void U8(uint32_t v) { movie_.bytes.push_back(static_cast<uint8_t>(v)); }
  void U16(uint32_t v) {
    U8(v);
    U8(v >> 8);
  }
  void I32(int64_t v) {
    const auto u = static_cast<uint32_t>(v);
    U16(u);
    U16(u >> 16);
  }
  void Append(const std::vector<uint8_t>& data) { movie_.bytes.insert(movie_.bytes.end(), data.begin(), data.end()); }
  // Marks what was written since `start` as one field.
  void Mark(int64_t start, int segment, const std::string& label) {
    movie_.fields.push_back({start, Size() - start, segment, label});
  }

 private:
  Movie& movie_;
};

std::string ToCp1251(const std::string& utf8) {
  iconv_t cd = iconv_open("CP1251", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no CP1251 converter");
  std::string out(utf8.size() + 1, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size(), outLeft = out.size();
  char* outPtr = out.data();
  const size_t done = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (done == static_cast<size_t>(-1)) throw std::runtime_error("name not representable in Windows-1251: " + utf8);
  out.resize(out.size() - outLeft);
  return out;
}

void WriteName(Bytes& out, const std::string& utf8) {
  std::string text = ToCp1251(utf8);
  if (text.size() > 255) text.resize(255);
  out.U8(static_cast<uint32_t>(text.size()));
  for (unsigned char c : text) out.U8(c);
  for (size_t i = text.size(); i < 255; ++i) out.U8(0);
}

int Padded(int64_t bits, int alignBytes) {
  const int64_t bytes = (bits + 7) / 8;
  return static_cast<int>((bytes + alignBytes - 1) / alignBytes * alignBytes);
}

// One-bit rows, most significant bit first, padded to 16 bits.
std::vector<uint8_t> MaskRows(const std::vector<uint8_t>& bits, int width, int height) {
  const int stride = Padded(width, 2);
  std::vector<uint8_t> rows(static_cast<size_t>(stride) * height, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (bits[static_cast<size_t>(y) * width + x]) rows[static_cast<size_t>(y) * stride + x / 8] |= 0x80 >> (x % 8);
  return rows;
}

void WriteShape(Bytes& out, const Shape& shape) {
  out.I32(shape.hotX);
  out.I32(shape.hotY);
  const bool monochrome = shape.colour.empty();
  std::vector<uint8_t> mask = MaskRows(shape.andMask, shape.width, shape.height);
  if (monochrome) {
    const std::vector<uint8_t> xorRows = MaskRows(shape.xorMask, shape.width, shape.height);
    mask.insert(mask.end(), xorRows.begin(), xorRows.end());
  }
  out.I32(static_cast<int64_t>(mask.size()));
  out.I32(shape.width);
  out.I32(monochrome ? shape.height * 2 : shape.height);
  out.U8(1);
  out.Append(mask);
  if (monochrome) {
    out.I32(0);
    out.I32(0);
    out.I32(0);
    out.U8(32);
    return;
  }
  const int pixelBytes = shape.colourBitsPerPixel / 8;
  const int stride = Padded(static_cast<int64_t>(shape.width) * shape.colourBitsPerPixel, 4);
  out.I32(static_cast<int64_t>(stride) * shape.height);
  out.I32(shape.width);
  out.I32(shape.height);
  out.U8(static_cast<uint32_t>(shape.colourBitsPerPixel));
  for (int y = 0; y < shape.height; ++y) {
    for (int x = 0; x < shape.width; ++x) {
      const uint32_t c = shape.colour[static_cast<size_t>(y) * shape.width + x];
      if (pixelBytes == 2) {
        // 5-6-5: the low bits of each part are dropped.
        const uint32_t packed = (c >> 19 & 0x1F) << 11 | (c >> 10 & 0x3F) << 5 | (c >> 3 & 0x1F);
        out.U8(packed);
        out.U8(packed >> 8);
        continue;
      }
      out.U8(c);
      out.U8(c >> 8);
      out.U8(c >> 16);
      if (pixelBytes == 4) out.U8(0);
    }
    for (int i = shape.width * pixelBytes; i < stride; ++i) out.U8(0);
  }
}

void WritePalette(std::vector<uint8_t>& out, const PaletteChange& change) {
  out.push_back(static_cast<uint8_t>(change.colours.size()));
  if (change.colours.empty()) return;
  out.push_back(change.first);
  for (uint32_t c : change.colours) {
    out.push_back(static_cast<uint8_t>(c));
    out.push_back(static_cast<uint8_t>(c >> 8));
    out.push_back(static_cast<uint8_t>(c >> 16));
    out.push_back(0);
  }
}

void WriteSegment(Bytes& out, const Segment& segment, int number) {
  int64_t start = out.Size();
  out.I32(static_cast<int64_t>(segment.shapes.size()));
  out.Mark(start, number, "shape count");
  start = out.Size();
  for (const Shape& shape : segment.shapes) WriteShape(out, shape);
  if (!segment.shapes.empty()) out.Mark(start, number, "cursor shape");

  std::vector<uint8_t> frames, palette;
  Picture previous(segment.width, segment.height, 0);
  for (const Frame& frame : segment.frames) {
    const std::vector<uint8_t> record = EncodeFrame(previous, frame.picture, segment.bitsPerPixel);
    frames.insert(frames.end(), record.begin(), record.end());
    previous = frame.picture;
    WritePalette(palette, frame.palette);
  }
  const size_t records = segment.cursorRecords < 0 ? segment.frames.size()
                                                   : std::min<size_t>(segment.frames.size(), segment.cursorRecords);
  std::vector<uint8_t> cursors;
  for (size_t i = 0; i < records; ++i) {
    const CursorRecord& c = segment.frames[i].cursor;
    for (uint16_t v : {c.shape, c.x, c.y}) {
      cursors.push_back(static_cast<uint8_t>(v));
      cursors.push_back(static_cast<uint8_t>(v >> 8));
    }
  }

  start = out.Size();
  out.I32(static_cast<int64_t>(frames.size()));
  out.I32(static_cast<int64_t>(cursors.size()));
  out.I32(segment.width);
  out.I32(segment.height);
  out.U8(segment.bitsPerPixel);
  out.I32(static_cast<int64_t>(segment.frames.size()));
  out.U8(segment.frameRate);
  WriteName(out, segment.name);
  out.Mark(start, number, "segment information");
  start = out.Size();
  out.Append(cursors);
  if (!cursors.empty()) out.Mark(start, number, "cursor stream");
  start = out.Size();
  out.Append(frames);
  if (!frames.empty()) out.Mark(start, number, "frame stream");
  if (segment.bitsPerPixel == 8) {
    start = out.Size();
    out.I32(static_cast<int64_t>(palette.size()));
    out.Mark(start, number, "palette length");
    start = out.Size();
    out.Append(palette);
    if (!palette.empty()) out.Mark(start, number, "palette stream");
  }
}

}  // namespace

const Field& Movie::Find(int segment, const std::string& label) const {
  for (const Field& field : fields)
    if (field.segment == segment && field.label == label) return field;
  throw std::out_of_range("no field " + label + " in segment " + std::to_string(segment));
}

std::vector<uint8_t> EncodeFrame(const Picture& previous, const Picture& picture, int bitsPerPixel) {
  const bool indexed = bitsPerPixel == 8;
  const uint32_t maxCount = indexed ? 255 : 65535;
  const uint32_t colourMask = indexed ? 0xFF : 0xFFFFFF;
  std::vector<uint8_t> record(8, 0);
  uint32_t runs = 0;
  const size_t n = picture.pixels.size();
  size_t i = 0;
  while (i < n) {
    const uint32_t delta = (picture.pixels[i] ^ previous.pixels[i]) & colourMask;
    uint32_t count = 1;
    while (i + count < n && count < maxCount &&
           ((picture.pixels[i + count] ^ previous.pixels[i + count]) & colourMask) == delta)
      ++count;
    if (indexed) {
      record.push_back(static_cast<uint8_t>(delta));
      record.push_back(static_cast<uint8_t>(count));
    } else {
      record.push_back(static_cast<uint8_t>(delta));
      record.push_back(static_cast<uint8_t>(delta >> 8));
      record.push_back(static_cast<uint8_t>(delta >> 16));
      record.push_back(static_cast<uint8_t>(count));
      record.push_back(static_cast<uint8_t>(count >> 8));
    }
    ++runs;
    i += count;
  }
  const auto put = [&](size_t at, uint32_t v) {
    for (int b = 0; b < 4; ++b) record[at + b] = static_cast<uint8_t>(v >> (8 * b));
  };
  put(0, static_cast<uint32_t>(record.size()));
  put(4, runs);
  return record;
}

Movie WriteMovie(const std::vector<Segment>& segments) {
  Movie movie;
  Bytes out(movie);
  out.I32(static_cast<int64_t>(segments.size()));
  out.Mark(0, 0, "segment count");
  int64_t start = out.Size();
  for (const Segment& segment : segments) {
    WriteName(out, segment.name);
    out.I32(static_cast<int64_t>(segment.frames.size()));
    out.U8(segment.frameRate);
  }
  if (!segments.empty()) out.Mark(start, 0, "segment table");
  for (size_t i = 0; i < segments.size(); ++i) WriteSegment(out, segments[i], static_cast<int>(i) + 1);
  return movie;
}

Shape ArrowShape() {
  Shape shape;
  shape.hotX = 1;
  shape.hotY = 1;
  shape.andMask.assign(32 * 32, 1);
  shape.xorMask.assign(32 * 32, 0);
  for (int y = 1; y < 20; ++y) {
    for (int x = 1; x <= y / 2 + 1; ++x) {
      const bool edge = x == 1 || x == y / 2 + 1 || y == 19;
      shape.andMask[y * 32 + x] = 0;
      shape.xorMask[y * 32 + x] = edge ? 0 : 1;  // black outline, white inside
    }
  }
  // A one-pixel inverting tip: AND 1 with XOR 1 inverts what is under it.
  shape.xorMask[0] = 1;
  return shape;
}

Shape ColourArrowShape(int colourBitsPerPixel) {
  Shape shape = ArrowShape();
  shape.colourBitsPerPixel = colourBitsPerPixel;
  shape.colour.assign(32 * 32, 0);
  for (int i = 0; i < 32 * 32; ++i)
    if (shape.xorMask[i]) shape.colour[i] = shape.andMask[i] ? 0xFFFFFF : 0x3070E0;
  shape.xorMask.clear();
  return shape;
}

namespace {

Picture Desktop(int width, int height, int frame) {
  Picture p(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) p.at(x, y) = y < height - 16 ? 0x3A6EA5 : 0xC0C0C0;
  // A window dragged to the right, with a title bar and a blinking caret.
  const int left = 20 + frame * 4, top = 30;
  for (int y = top; y < top + 90 && y < height; ++y)
    for (int x = left; x < left + 150 && x < width; ++x) p.at(x, y) = y < top + 14 ? 0x000080 : 0xFFFFFF;
  for (int i = 0; i < frame % 12 && left + 10 + i * 6 < width; ++i)
    for (int y = top + 24; y < top + 32; ++y)
      for (int x = left + 10 + i * 6; x < left + 14 + i * 6; ++x) p.at(x, y) = 0x202020;
  if (frame % 2 == 0)
    for (int y = top + 24; y < top + 32; ++y) p.at(std::min(width - 1, left + 12 + (frame % 12) * 6), y) = 0;
  return p;
}

}  // namespace

std::vector<Segment> DemoMovie() {
  std::vector<Segment> movie;
  for (const uint8_t bpp : {uint8_t{32}, uint8_t{24}}) {
    Segment s;
    s.name = bpp == 32 ? "Рабочий стол" : "Окно документа";
    s.frameRate = bpp == 32 ? 10 : 5;
    s.width = bpp == 32 ? 320 : 241;
    s.height = 200;
    s.bitsPerPixel = bpp;
    s.shapes = {ArrowShape(), ColourArrowShape()};
    for (int f = 0; f < 30; ++f) {
      Frame frame{Desktop(s.width, s.height, f),
                  {static_cast<uint16_t>(f / 15), static_cast<uint16_t>(40 + f * 6), static_cast<uint16_t>(60 + f * 3)},
                  {}};
      s.frames.push_back(std::move(frame));
    }
    movie.push_back(std::move(s));
  }
  Segment indexed;
  indexed.name = "Палитра";
  indexed.frameRate = 5;
  indexed.width = 101;
  indexed.height = 60;
  indexed.bitsPerPixel = 8;
  indexed.shapes = {ArrowShape()};
  for (int f = 0; f < 20; ++f) {
    Picture p(indexed.width, indexed.height);
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) p.at(x, y) = static_cast<uint32_t>((x / 10 + y / 10 + f) % 8);
    PaletteChange change;
    if (f == 0) {
      change.first = 0;
      for (int i = 0; i < 8; ++i) change.colours.push_back(static_cast<uint32_t>(i * 0x1F0F07));
      change.colours.push_back(0xFFFFFF);
    } else if (f % 5 == 0) {
      change.first = 7;
      change.colours = {static_cast<uint32_t>(0x10 * f) << 8};
    }
    indexed.frames.push_back({std::move(p), {0, static_cast<uint16_t>(f * 5), 30}, std::move(change)});
  }
  movie.push_back(std::move(indexed));
  return movie;
}

}  // namespace moviewriter
