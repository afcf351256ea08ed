// The changed part of a picture as a few rectangles for repainting: changed
// byte ranges are marked on a coarse grid of tiles, and each run of marked
// tiles in a tile row becomes one rectangle, as tall as the tile rows marked
// alike below it. Repainting a few tiles too many costs less than one
// rectangle per changed run, or one around all of them.
#pragma once

#include <QRegion>

#include <algorithm>
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
  // from the row's first byte; the row's padding marks nothing. Called for
  // every changed piece of every row, so it is kept where it can be inlined.
  void MarkRow(size_t row, size_t begin, size_t end) {
    const size_t first = begin >> pixelShift_;
    if (begin >= end || row >= height_ || first >= width_) return;
    const size_t last = std::min((end - 1) >> pixelShift_, width_ - 1);
    const size_t tileRow = row / kTileHeight;
    uint8_t* const line = marked_.data() + tileRow * columns_;
    std::fill(line + first / kTileWidth, line + last / kTileWidth + 1, uint8_t{1});
    firstRow_ = std::min(firstRow_, tileRow);
    endRow_ = std::max(endRow_, tileRow + 1);
  }
  // The marked tiles, clipped to the picture; banded as QRegion wants them.
  QRegion Region() const;

 private:
  size_t width_ = 0, height_ = 0, columns_ = 0, rows_ = 0;
  int pixelShift_ = 0;
  std::vector<uint8_t> marked_;
  // The tile rows marked lie in [firstRow_, endRow_): a tick's changes are
  // often a small part of the picture, and only that part is looked through
  // and cleared again.
  size_t firstRow_ = SIZE_MAX, endRow_ = 0;
};
