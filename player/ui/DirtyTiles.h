// The changed part of a picture as a few rectangles for repainting: changed
// byte ranges are marked on a coarse grid of tiles, and each run of marked
// tiles in a tile row becomes one rectangle. Repainting a few tiles too many
// costs less than one rectangle per changed run, or one around all of them.
#pragma once

#include <QRegion>

#include <cstddef>
#include <cstdint>
#include <vector>

class TDirtyTiles {
 public:
  static constexpr int kTileWidth = 64;
  static constexpr int kTileHeight = 8;

  // Forgets every mark; the grid takes the size of a picture.
  void Reset(int width, int height, size_t stride, int pixelBytes);
  // Marks the pixels of a byte range of the picture memory.
  void MarkBytes(size_t begin, size_t end);
  // The marked tiles, clipped to the picture; banded as QRegion wants them.
  QRegion Region() const;

 private:
  void MarkRows(int firstRow, int lastRow, int firstColumn, int endColumn);

  int width_ = 0, height_ = 0, columns_ = 0, rows_ = 0, pixelBytes_ = 1;
  size_t stride_ = 1;
  std::vector<uint8_t> marked_;
};
