// Integers of the movie file and the packaged-movie trailer are little-endian.
#pragma once

#include <cstdint>

namespace platform {

inline int32_t Int32LE(const uint8_t* p) {
  return static_cast<int32_t>(p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24));
}

}  // namespace platform
