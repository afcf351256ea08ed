// How the frame records of a segment are laid out, by its colour depth.
#pragma once

#include <optional>

struct TPixelFormat {
  int PixelBytes;
  int RunColorBytes;
  int RunCountBytes;
  int RunRecordBytes;
};

// A 32-bit segment keeps three colour bytes per run record, not four.
// None for depths other than 8, 24 and 32.
constexpr std::optional<TPixelFormat> PixelFormatFor(int depth) {
  switch (depth) {
    case 8: return TPixelFormat{1, 1, 1, 2};
    case 24: return TPixelFormat{3, 3, 2, 5};
    case 32: return TPixelFormat{4, 3, 2, 5};
    default: return std::nullopt;
  }
}
