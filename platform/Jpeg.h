// JPEG pictures through libjpeg.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // 3 bytes a pixel, rows without padding
};

// An empty image when the data is not a JPEG libjpeg can read.
RgbImage DecodeJpeg(const uint8_t* data, size_t size);
std::vector<uint8_t> EncodeJpeg(const RgbImage& image, int quality);

}  // namespace platform
