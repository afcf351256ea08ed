// Bitmaps and raster operations as the drawing code expects them of GDI:
// top-down pixel memory with rows padded to 4 bytes, colour tables for 1 and
// 8 bits per pixel, 16-bit pixels as 5-6-5, and BitBlt's format conversion and clipping.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "PixelMemory.h"

namespace gdi {

struct RGBQuad {
  uint8_t rgbBlue = 0, rgbGreen = 0, rgbRed = 0, rgbReserved = 0;
  bool operator==(const RGBQuad&) const = default;
};

// 0x00RRGGBB.
using Rgb = uint32_t;
inline constexpr Rgb kBlack = 0x000000;
inline constexpr Rgb kWhite = 0xFFFFFF;

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

enum class Rop { SrcCopy, SrcInvert, SrcAnd };

// The largest bitmap made: more than any screen has (256 MiB at 32 bits).
inline constexpr int kMaxPictureSide = 16384;
inline constexpr int64_t kMaxPicturePixels = int64_t{1} << 26;

// Rows of a bitmap of this width and depth padded to a multiple of `align` bytes.
int RowStride(int width, int bitsPerPixel, int align);

class Bitmap {
 public:
  enum class Kind {
    Section,     // device-independent: colours of 1 and 8 bits come from the colour table
    Monochrome,  // device-dependent one-bit bitmap: 1 bits white, 0 bits black
    Device,      // compatible with the screen
  };

  Bitmap(Kind kind, int width, int height, int bitsPerPixel);

  Kind GetKind() const { return kind_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int BitsPerPixel() const { return bitsPerPixel_; }
  int Stride() const { return stride_; }
  uint8_t* Bits() { return bits_.data(); }
  const uint8_t* Bits() const { return bits_.data(); }
  size_t ByteSize() const { return bits_.size(); }
  uint8_t* Row(int y) { return bits_.data() + static_cast<size_t>(y) * stride_; }
  const uint8_t* Row(int y) const { return bits_.data() + static_cast<size_t>(y) * stride_; }

  const std::array<RGBQuad, 256>& ColorTable() const { return colors_; }
  // Entries from `start` on, as many as fit.
  void SetColors(int start, int count, const RGBQuad* colors);
  bool HasColorTable() const { return kind_ == Kind::Section && bitsPerPixel_ <= 8; }

  Rgb PixelRgb(int x, int y) const;
  // The stored value that shows colour c as closely as this bitmap can.
  uint32_t NativeValue(Rgb c) const;
  uint32_t PixelValue(int x, int y) const;
  void SetPixelValue(int x, int y, uint32_t value);

 private:
  Kind kind_;
  int width_, height_, bitsPerPixel_, stride_;
  std::vector<uint8_t, platform::PixelAllocator<uint8_t>> bits_;
  std::array<RGBQuad, 256> colors_{};
  // The colours last matched to the colour table, forgotten when it changes:
  // a cursor's mask is drawn in black and white onto every 8-bit frame, and
  // a match looks at up to 256 entries.
  struct MatchedColor {
    Rgb color;
    uint32_t index;
  };
  mutable std::array<MatchedColor, 2> matched_{};
  mutable int matchedCount_ = 0;
};

// Depths 1, 8, 16 (5-6-5), 24 and 32; width and height above 0 (rows are always
// top-down). Null when the size is impossible or the memory can't be had.
std::unique_ptr<Bitmap> CreateDIBSection(int width, int height, int bitsPerPixel, const RGBQuad* colors = nullptr,
                                         int colorCount = 0);
// A device-dependent bitmap; bits (may be null) have rows padded to 16 bits.
// One bit per pixel gives a monochrome bitmap, 16 (5-6-5), 24 and 32 a device one.
std::unique_ptr<Bitmap> CreateBitmap(int width, int height, int planes, int bitsPerPixel, const void* bits);
// A bitmap of the screen's format (32 bits per pixel), black.
std::unique_ptr<Bitmap> CreateCompatibleBitmap(int width, int height);

bool BitBlt(Bitmap& dst, int x, int y, int width, int height, const Bitmap& src, int srcX, int srcY, Rop rop);
// Plain copy, nearest pixel.
bool StretchBlt(Bitmap& dst, int x, int y, int width, int height, const Bitmap& src, int srcX, int srcY, int srcWidth,
                int srcHeight);
void FillRect(Bitmap& dst, const Rect& rect, Rgb color);
// Entries set, or 0 for a bitmap without colour table.
int SetDIBColorTable(Bitmap& bitmap, int start, int count, const RGBQuad* colors);

}  // namespace gdi
