// Writes movie files from pictures, the way the recorder does: each frame is
// the XOR of its picture with the previous one (black before the first),
// run-length coded in raster order. It shares no code with the player's
// reader or decoder, so that a round trip through both is a real check.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace moviewriter {

// Pixels in raster order: 0x00RRGGBB at 24 and 32 bits, colour indices at 8.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;

  Picture() = default;
  Picture(int w, int h, uint32_t fill = 0) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}
  uint32_t& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// A cursor shape. Without colour it is monochrome: AND and XOR masks of
// width × height bits. With colour the AND mask and a true-colour image.
struct Shape {
  int hotX = 0;
  int hotY = 0;
  int width = 32;
  int height = 32;
  std::vector<uint8_t> andMask;  // 0 or 1 per pixel
  std::vector<uint8_t> xorMask;  // monochrome only
  std::vector<uint32_t> colour;  // 0x00RRGGBB per pixel; empty for monochrome
  int colourBitsPerPixel = 32;   // 16 (5-6-5), 24 or 32
};

struct CursorRecord {
  uint16_t shape = 0;
  uint16_t x = 0;
  uint16_t y = 0;
};

// Replaces colour-table entries first .. first + colours.size() - 1.
struct PaletteChange {
  uint8_t first = 0;
  std::vector<uint32_t> colours;  // 0x00RRGGBB
};

struct Frame {
  Picture picture;
  CursorRecord cursor;
  PaletteChange palette;  // 8-bit segments only
};

struct Segment {
  std::string name;  // UTF-8; stored in Windows-1251
  uint8_t frameRate = 5;
  int width = 0;
  int height = 0;
  uint8_t bitsPerPixel = 32;
  std::vector<Shape> shapes;
  std::vector<Frame> frames;
  int cursorRecords = -1;  // fewer cursor records than frames when not negative
};

// Where a part of the file lies, for tests that cut or patch it.
struct Field {
  int64_t offset = 0;
  int64_t size = 0;
  int segment = 0;  // from 1; 0 for the head of the file
  std::string label;
};

struct Movie {
  std::vector<uint8_t> bytes;
  std::vector<Field> fields;

  const Field& Find(int segment, const std::string& label) const;
};

Movie WriteMovie(const std::vector<Segment>& segments);

// The frame record of `picture` over `previous` at the given depth.
std::vector<uint8_t> EncodeFrame(const Picture& previous, const Picture& picture, int bitsPerPixel);

// A 32 × 32 arrow as a monochrome shape, and the same arrow in colour.
Shape ArrowShape();
Shape ColourArrowShape(int colourBitsPerPixel = 32);

// A short movie of three segments (32, 24 and 8 bits) with a moving cursor.
std::vector<Segment> DemoMovie();

}  // namespace moviewriter
