// The changed part of a picture as a few rectangles for repainting: changed
// byte ranges are marked on a coarse grid of tiles, and each run of marked
// tiles in a tile row becomes one rectangle, as tall as the tile rows marked
// alike below it. Repainting a few tiles too many costs less than one
// rectangle per changed run, or one around all of them.
#pragma once

#include <QRegion>

#include <cstddef>
#include <cstdint>
#include <vector>

class TDirtyTiles {
 public:
  static constexpr size_t kTileWidth = 16;
  static constexpr size_t kTileHeight = 8;

  // Forgets every mark; the grid takes the size of a picture whose pixels
  // are 1 or 4 bytes (the two kinds the player composes).
  void Reset(int width, int height, int pixelBytes);
  // Marks the pixels of bytes begin to end (exclusive) of a row, counted
  // from the row's first byte; the row's padding marks nothing.
  void MarkRow(size_t row, size_t begin, size_t end);
  // The marked tiles, clipped to the picture; banded as QRegion wants them.
  QRegion Region() const;

 private:
  size_t width_ = 0, height_ = 0, columns_ = 0, rows_ = 0;
  int pixelShift_ = 0;
  std::vector<uint8_t> marked_;
};
