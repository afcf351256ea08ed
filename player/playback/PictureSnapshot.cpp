#include "PictureSnapshot.h"

#include <algorithm>
#include <cstring>

namespace {

// Each stretch starts with a 32-bit head: the top bit set for a repeated
// pixel (one pixel follows), clear for pixels as they are (that many follow);
// the rest is the number of pixels.
constexpr uint32_t kRepeated = 0x80000000u;
constexpr size_t kMaxStretch = 0x7FFFFFFFu;
// Shorter repeats cost more as a stretch of their own than left as they are.
constexpr size_t kMinRepeat = 4;

void Append(std::vector<uint8_t>& code, const void* bytes, size_t n) {
  const auto* p = static_cast<const uint8_t*>(bytes);
  code.insert(code.end(), p, p + n);
}

template <typename Pixel>
void EncodePixels(const Pixel* pixels, size_t count, std::vector<uint8_t>& code) {
  size_t literal = 0;  // where the stretch of pixels as they are began
  auto flushLiteral = [&](size_t end) {
    while (literal < end) {
      const size_t n = std::min(end - literal, kMaxStretch);
      const uint32_t head = static_cast<uint32_t>(n);
      Append(code, &head, sizeof head);
      Append(code, pixels + literal, n * sizeof(Pixel));
      literal += n;
    }
  };
  size_t i = 0;
  while (i < count) {
    size_t j = i + 1;
    while (j < count && pixels[j] == pixels[i] && j - i < kMaxStretch) ++j;
    if (j - i >= kMinRepeat) {
      flushLiteral(i);
      const uint32_t head = kRepeated | static_cast<uint32_t>(j - i);
      Append(code, &head, sizeof head);
      Append(code, pixels + i, sizeof(Pixel));
      literal = j;
    }
    i = j;
  }
  flushLiteral(count);
}

template <typename Pixel>
bool DecodePixels(const std::vector<uint8_t>& code, Pixel* pixels, size_t count) {
  size_t at = 0, written = 0;
  while (at + sizeof(uint32_t) <= code.size()) {
    uint32_t head;
    std::memcpy(&head, code.data() + at, sizeof head);
    at += sizeof head;
    const size_t n = head & ~kRepeated;
    if (n > count - written) return false;
    if (head & kRepeated) {
      if (at + sizeof(Pixel) > code.size()) return false;
      Pixel value;
      std::memcpy(&value, code.data() + at, sizeof value);
      at += sizeof value;
      std::fill_n(pixels + written, n, value);
    } else {
      if (n * sizeof(Pixel) > code.size() - at) return false;
      std::memcpy(pixels + written, code.data() + at, n * sizeof(Pixel));
      at += n * sizeof(Pixel);
    }
    written += n;
  }
  return written == count && at == code.size();
}

}  // namespace

std::vector<uint8_t> EncodePicture(const gdi::Bitmap& picture) {
  std::vector<uint8_t> code;
  const size_t bytes = picture.ByteSize();
  switch (picture.BitsPerPixel()) {
    case 32: EncodePixels(reinterpret_cast<const uint32_t*>(picture.Bits()), bytes / 4, code); break;
    case 16: EncodePixels(reinterpret_cast<const uint16_t*>(picture.Bits()), bytes / 2, code); break;
    default: EncodePixels(picture.Bits(), bytes, code); break;
  }
  code.shrink_to_fit();
  return code;
}

bool DecodePicture(const std::vector<uint8_t>& code, gdi::Bitmap& picture) {
  const size_t bytes = picture.ByteSize();
  switch (picture.BitsPerPixel()) {
    case 32: return DecodePixels(code, reinterpret_cast<uint32_t*>(picture.Bits()), bytes / 4);
    case 16: return DecodePixels(code, reinterpret_cast<uint16_t*>(picture.Bits()), bytes / 2);
    default: return DecodePixels(code, picture.Bits(), bytes);
  }
}
