#include "Gdi.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <new>

namespace gdi {
namespace {

Rgb QuadRgb(const RGBQuad& q) { return (Rgb{q.rgbRed} << 16) | (Rgb{q.rgbGreen} << 8) | q.rgbBlue; }

uint32_t NearestIndex(const std::array<RGBQuad, 256>& table, int count, Rgb c) {
  const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
  uint32_t best = 0;
  int bestDistance = std::numeric_limits<int>::max();
  for (int i = 0; i < count; ++i) {
    const int dr = table[i].rgbRed - r, dg = table[i].rgbGreen - g, db = table[i].rgbBlue - b;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = static_cast<uint32_t>(i);
      if (distance == 0) break;
    }
  }
  return best;
}

// For single values and for vectors of them alike.
template <typename Value>
Value Combine(Rop rop, Value src, Value dst) {
  switch (rop) {
    case Rop::SrcCopy: return src;
    case Rop::SrcInvert: return src ^ dst;
    case Rop::SrcAnd: return src & dst;
  }
  return src;
}

void CombineBytes(Rop rop, uint8_t* dst, const uint8_t* src, size_t n) {
  switch (rop) {
    case Rop::SrcCopy: std::memmove(dst, src, n); break;
    case Rop::SrcInvert:
      for (size_t i = 0; i < n; ++i) dst[i] ^= src[i];
      break;
    case Rop::SrcAnd:
      for (size_t i = 0; i < n; ++i) dst[i] &= src[i];
      break;
  }
}

// Each byte of a monochrome row as eight 32-bit lane masks, first pixel in
// the high bit: the mask blits below work on eight pixels at once.
constexpr std::array<std::array<uint32_t, 8>, 256> kByteLanes = [] {
  std::array<std::array<uint32_t, 8>, 256> lanes{};
  for (int b = 0; b < 256; ++b)
    for (int k = 0; k < 8; ++k) lanes[b][k] = (b >> (7 - k)) & 1 ? ~0u : 0u;
  return lanes;
}();

// Each byte of a monochrome row as eight 8-bit lane masks in one word, the
// first pixel in the lowest byte (the first in memory).
constexpr std::array<uint64_t, 256> kByteLanes8 = [] {
  std::array<uint64_t, 256> lanes{};
  for (int b = 0; b < 256; ++b)
    for (int k = 0; k < 8; ++k)
      if ((b >> (7 - k)) & 1) lanes[b] |= uint64_t{0xFF} << (8 * k);
  return lanes;
}();

// Four 32-bit pixels in one vector register (SSE2 on every x86-64).
using Lanes4 = uint32_t __attribute__((vector_size(16)));

// Eight pixels of a whole mask byte at `out`, 32 or 8 bits each.
template <Rop R, typename Pixel>
inline void MaskByteOnto(Pixel* out, uint8_t maskByte, Pixel black, Pixel flip) {
  if constexpr (sizeof(Pixel) == 4) {
    const Lanes4 black4 = {black, black, black, black}, flip4 = {flip, flip, flip, flip};
    const std::array<uint32_t, 8>& lanes = kByteLanes[maskByte];
    for (int half = 0; half < 8; half += 4) {
      Lanes4 mask, pixels;
      std::memcpy(&mask, lanes.data() + half, sizeof mask);
      std::memcpy(&pixels, out + half, sizeof pixels);
      pixels = Combine(R, black4 ^ (flip4 & mask), pixels);
      std::memcpy(out + half, &pixels, sizeof pixels);
    }
  } else {
    constexpr uint64_t kEveryByte = 0x0101010101010101u;
    uint64_t pixels;
    std::memcpy(&pixels, out, sizeof pixels);
    pixels = Combine(R, (black * kEveryByte) ^ ((flip * kEveryByte) & kByteLanes8[maskByte]), pixels);
    std::memcpy(out, &pixels, sizeof pixels);
  }
}

// A monochrome mask onto 32- or 8-bit pixels, the cursor's every frame: the
// operation is fixed at compile time and each bit picks its value without a
// branch.
template <Rop R, typename Pixel>
void MaskOnto(Bitmap& dst, int x, int y, int width, int height, const Bitmap& src, int srcX, int srcY,
              const uint32_t values[2]) {
  const Pixel black = static_cast<Pixel>(values[0]), flip = static_cast<Pixel>(values[0] ^ values[1]);
  // Whole source bytes go eight pixels at once; a clipped start goes pixel by pixel.
  const int whole = srcX % 8 == 0 ? width / 8 * 8 : 0;
  for (int row = 0; row < height; ++row) {
    const uint8_t* bits = src.Row(srcY + row);
    Pixel* out = reinterpret_cast<Pixel*>(dst.Row(y + row)) + x;
    for (int col = 0; col < whole; col += 8) MaskByteOnto<R>(out + col, bits[(srcX + col) >> 3], black, flip);
    for (int col = whole; col < width; ++col) {
      const int sx = srcX + col;
      const Pixel bit = static_cast<Pixel>((bits[sx >> 3] >> (7 - (sx & 7))) & 1u);
      out[col] = static_cast<Pixel>(Combine<Pixel>(R, black ^ (flip & static_cast<Pixel>(0u - bit)), out[col]));
    }
  }
}

template <typename Pixel>
void MaskOnto(Rop rop, Bitmap& dst, int x, int y, int width, int height, const Bitmap& src, int srcX, int srcY,
              const uint32_t values[2]) {
  switch (rop) {
    case Rop::SrcCopy: MaskOnto<Rop::SrcCopy, Pixel>(dst, x, y, width, height, src, srcX, srcY, values); break;
    case Rop::SrcInvert: MaskOnto<Rop::SrcInvert, Pixel>(dst, x, y, width, height, src, srcX, srcY, values); break;
    case Rop::SrcAnd: MaskOnto<Rop::SrcAnd, Pixel>(dst, x, y, width, height, src, srcX, srcY, values); break;
  }
}

// The destination's values of colours, remembered in a small direct-mapped
// table; colours are 24 bits, so an all-ones key is never one of them.
class NativeValueCache {
 public:
  explicit NativeValueCache(const Bitmap& dst) : dst_(dst) { keys_.fill(~Rgb{0}); }
  uint32_t Of(Rgb c) {
    const size_t slot = ((c * 0x9E3779B1u) >> 26) & (kSlots - 1);
    if (keys_[slot] != c) {
      keys_[slot] = c;
      values_[slot] = dst_.NativeValue(c);
    }
    return values_[slot];
  }

 private:
  static constexpr size_t kSlots = 64;
  const Bitmap& dst_;
  std::array<Rgb, kSlots> keys_;
  std::array<uint32_t, kSlots> values_{};
};

// Colour tables compared as bytes: field by field, the two compared at every
// frame step of an 8-bit movie cost as much as its cursor.
bool SameQuads(const RGBQuad* a, const RGBQuad* b, int count) {
  static_assert(sizeof(RGBQuad) == 4);
  return std::memcmp(a, b, static_cast<size_t>(count) * sizeof(RGBQuad)) == 0;
}

// Source pixels can be taken byte for byte when both sides store colours the same way.
bool SameFormat(const Bitmap& a, const Bitmap& b) {
  if (a.BitsPerPixel() != b.BitsPerPixel() || a.BitsPerPixel() < 8) return false;
  if (a.BitsPerPixel() > 8) return true;
  return a.HasColorTable() && b.HasColorTable() && SameQuads(a.ColorTable().data(), b.ColorTable().data(), 256);
}

// Clips a transfer to both bitmaps; false when nothing is left.
bool ClipTransfer(const Bitmap& dst, int& x, int& y, int& w, int& h, const Bitmap& src, int& sx, int& sy) {
  if (sx < 0) {
    x -= sx;
    w += sx;
    sx = 0;
  }
  if (sy < 0) {
    y -= sy;
    h += sy;
    sy = 0;
  }
  if (x < 0) {
    sx -= x;
    w += x;
    x = 0;
  }
  if (y < 0) {
    sy -= y;
    h += y;
    y = 0;
  }
  w = std::min({w, dst.Width() - x, src.Width() - sx});
  h = std::min({h, dst.Height() - y, src.Height() - sy});
  return w > 0 && h > 0;
}

std::unique_ptr<Bitmap> MakeBitmap(Bitmap::Kind kind, int width, int height, int bitsPerPixel) {
  if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
      int64_t{width} * height > kMaxPicturePixels)
    return nullptr;
  try {
    return std::make_unique<Bitmap>(kind, width, height, bitsPerPixel);
  } catch (const std::bad_alloc&) { return nullptr; }
}

}  // namespace

int RowStride(int width, int bitsPerPixel, int align) {
  const int64_t bytes = (static_cast<int64_t>(width) * bitsPerPixel + 7) / 8;
  return static_cast<int>((bytes + align - 1) / align * align);
}

Bitmap::Bitmap(Kind kind, int width, int height, int bitsPerPixel)
    : kind_(kind),
      width_(width),
      height_(height),
      bitsPerPixel_(bitsPerPixel),
      stride_(RowStride(width, bitsPerPixel, 4)),
      bits_(static_cast<size_t>(stride_) * static_cast<size_t>(height)) {}

Rgb Bitmap::PixelRgb(int x, int y) const {
  const uint32_t value = PixelValue(x, y);
  switch (bitsPerPixel_) {
    case 1:
      if (kind_ == Kind::Monochrome) return value ? kWhite : kBlack;
      return QuadRgb(colors_[value]);
    case 8: return HasColorTable() ? QuadRgb(colors_[value]) : value * 0x010101u;
    case 16: {
      // 5-6-5, each part widened by repeating its high bits.
      const uint32_t r = value >> 11 & 0x1F, g = value >> 5 & 0x3F, b = value & 0x1F;
      return ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
    }
    default: return value & 0xFFFFFF;
  }
}

uint32_t Bitmap::NativeValue(Rgb c) const {
  switch (bitsPerPixel_) {
    case 1:
      if (kind_ == Kind::Monochrome) return c == kWhite ? 1 : 0;
      return NearestIndex(colors_, 2, c);
    case 8: {
      if (!HasColorTable()) return ((c >> 16 & 0xFF) * 30 + (c >> 8 & 0xFF) * 59 + (c & 0xFF) * 11) / 100;
      for (int i = 0; i < matchedCount_; ++i)
        if (matched_[i].color == c) return matched_[i].index;
      const uint32_t index = NearestIndex(colors_, 256, c);
      // The newest first, the oldest forgotten.
      matched_[1] = matched_[0];
      matched_[0] = {c, index};
      matchedCount_ = std::min(matchedCount_ + 1, static_cast<int>(matched_.size()));
      return index;
    }
    case 16: return (c >> 19 & 0x1F) << 11 | (c >> 10 & 0x3F) << 5 | (c >> 3 & 0x1F);
    default: return c & 0xFFFFFF;
  }
}

uint32_t Bitmap::PixelValue(int x, int y) const {
  const uint8_t* row = Row(y);
  switch (bitsPerPixel_) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 8: return row[x];
    case 16: return row[x * 2] | (uint32_t{row[x * 2 + 1]} << 8);
    case 24: {
      const uint8_t* p = row + x * 3;
      return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
    }
    default: {
      uint32_t v;
      std::memcpy(&v, row + x * 4, 4);
      return v;
    }
  }
}

void Bitmap::SetPixelValue(int x, int y, uint32_t value) {
  uint8_t* row = Row(y);
  switch (bitsPerPixel_) {
    case 1: {
      const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
      row[x >> 3] = static_cast<uint8_t>(value & 1 ? row[x >> 3] | bit : row[x >> 3] & ~bit);
      break;
    }
    case 8: row[x] = static_cast<uint8_t>(value); break;
    case 16:
      row[x * 2] = static_cast<uint8_t>(value);
      row[x * 2 + 1] = static_cast<uint8_t>(value >> 8);
      break;
    case 24: {
      uint8_t* p = row + x * 3;
      p[0] = static_cast<uint8_t>(value);
      p[1] = static_cast<uint8_t>(value >> 8);
      p[2] = static_cast<uint8_t>(value >> 16);
      break;
    }
    default: std::memcpy(row + x * 4, &value, 4); break;
  }
}

std::unique_ptr<Bitmap> CreateDIBSection(int width, int height, int bitsPerPixel, const RGBQuad* colors,
                                         int colorCount) {
  if (bitsPerPixel != 1 && bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32)
    return nullptr;
  auto bitmap = MakeBitmap(Bitmap::Kind::Section, width, height, bitsPerPixel);
  if (bitmap && colors) SetDIBColorTable(*bitmap, 0, colorCount, colors);
  return bitmap;
}

std::unique_ptr<Bitmap> CreateBitmap(int width, int height, int planes, int bitsPerPixel, const void* bits) {
  if (planes != 1) return nullptr;
  Bitmap::Kind kind;
  if (bitsPerPixel == 1) {
    kind = Bitmap::Kind::Monochrome;
  } else if (bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32) {
    kind = Bitmap::Kind::Device;
  } else {
    return nullptr;
  }
  auto bitmap = MakeBitmap(kind, width, height, bitsPerPixel);
  if (bitmap && bits) {
    const int sourceStride = RowStride(width, bitsPerPixel, 2);
    const int rowBytes = RowStride(width, bitsPerPixel, 1);
    for (int y = 0; y < height; ++y)
      std::memcpy(bitmap->Row(y), static_cast<const uint8_t*>(bits) + static_cast<size_t>(y) * sourceStride,
                  static_cast<size_t>(rowBytes));
  }
  return bitmap;
}

std::unique_ptr<Bitmap> CreateCompatibleBitmap(int width, int height) {
  return MakeBitmap(Bitmap::Kind::Device, width, height, 32);
}

bool BitBlt(Bitmap& dst, int x, int y, int width, int height, const Bitmap& src, int srcX, int srcY, Rop rop) {
  if (!ClipTransfer(dst, x, y, width, height, src, srcX, srcY)) return true;
  if (SameFormat(dst, src)) {
    const size_t pixelBytes = static_cast<size_t>(dst.BitsPerPixel() / 8);
    const size_t n = pixelBytes * static_cast<size_t>(width);
    // Rows are taken in the order that keeps an overlapping copy within one bitmap intact.
    const bool upward = &dst == &src && y > srcY;
    for (int i = 0; i < height; ++i) {
      const int row = upward ? height - 1 - i : i;
      CombineBytes(rop, dst.Row(y + row) + x * pixelBytes, src.Row(srcY + row) + srcX * pixelBytes, n);
    }
    return true;
  }
  if (src.GetKind() == Bitmap::Kind::Monochrome) {
    // A cursor's masks: 1 bits white, 0 bits black, in the destination's own values.
    const uint32_t values[2] = {dst.NativeValue(kBlack), dst.NativeValue(kWhite)};
    if (dst.BitsPerPixel() == 32) {
      MaskOnto<uint32_t>(rop, dst, x, y, width, height, src, srcX, srcY, values);
      return true;
    }
    if (dst.BitsPerPixel() == 8) {
      MaskOnto<uint8_t>(rop, dst, x, y, width, height, src, srcX, srcY, values);
      return true;
    }
    for (int row = 0; row < height; ++row) {
      const uint8_t* bits = src.Row(srcY + row);
      for (int col = 0; col < width; ++col) {
        const int sx = srcX + col;
        const uint32_t value = values[(bits[sx >> 3] >> (7 - (sx & 7))) & 1];
        dst.SetPixelValue(x + col, y + row, Combine(rop, value, dst.PixelValue(x + col, y + row)));
      }
    }
    return true;
  }
  // A colour shape alternates a few colours along its rows, and matching one
  // to a colour table takes 256 steps: each colour is matched once.
  NativeValueCache native(dst);
  for (int row = 0; row < height; ++row) {
    for (int col = 0; col < width; ++col) {
      const uint32_t value = native.Of(src.PixelRgb(srcX + col, srcY + row));
      dst.SetPixelValue(x + col, y + row, Combine(rop, value, dst.PixelValue(x + col, y + row)));
    }
  }
  return true;
}

bool StretchBlt(Bitmap& dst, int x, int y, int width, int height, const Bitmap& src, int srcX, int srcY, int srcWidth,
                int srcHeight) {
  if (width <= 0 || height <= 0 || srcWidth <= 0 || srcHeight <= 0) return true;
  const bool same = SameFormat(dst, src);
  const int pixelBytes = dst.BitsPerPixel() / 8;
  for (int row = std::max(0, -y); row < height && y + row < dst.Height(); ++row) {
    const int sy = srcY + static_cast<int>(static_cast<int64_t>(row) * srcHeight / height);
    if (sy < 0 || sy >= src.Height()) continue;
    for (int col = std::max(0, -x); col < width && x + col < dst.Width(); ++col) {
      const int sx = srcX + static_cast<int>(static_cast<int64_t>(col) * srcWidth / width);
      if (sx < 0 || sx >= src.Width()) continue;
      if (same) {
        std::memcpy(dst.Row(y + row) + (x + col) * pixelBytes, src.Row(sy) + sx * pixelBytes,
                    static_cast<size_t>(pixelBytes));
      } else {
        dst.SetPixelValue(x + col, y + row, dst.NativeValue(src.PixelRgb(sx, sy)));
      }
    }
  }
  return true;
}

void FillRect(Bitmap& dst, const Rect& rect, Rgb color) {
  const int left = std::max(rect.left, 0), top = std::max(rect.top, 0);
  const int right = std::min(rect.right, dst.Width()), bottom = std::min(rect.bottom, dst.Height());
  const uint32_t value = dst.NativeValue(color);
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) dst.SetPixelValue(x, y, value);
}

void Bitmap::SetColors(int start, int count, const RGBQuad* colors) {
  const int n = std::min(count, 256 - start);
  // The player sets the same table at every frame; the colours matched to it
  // stay good unless it changes.
  if (SameQuads(colors, colors_.data() + start, n)) return;
  std::copy(colors, colors + n, colors_.begin() + start);
  matchedCount_ = 0;
}

int SetDIBColorTable(Bitmap& bitmap, int start, int count, const RGBQuad* colors) {
  if (!bitmap.HasColorTable() || start < 0 || start >= 256 || count <= 0) return 0;
  const int n = std::min(count, 256 - start);
  bitmap.SetColors(start, n, colors);
  return n;
}

}  // namespace gdi
