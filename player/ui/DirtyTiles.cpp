#include "DirtyTiles.h"

#include <algorithm>

void TDirtyTiles::Reset(int width, int height, size_t stride, int pixelBytes) {
  width_ = width;
  height_ = height;
  stride_ = std::max<size_t>(stride, 1);
  pixelBytes_ = std::max(pixelBytes, 1);
  columns_ = (width + kTileWidth - 1) / kTileWidth;
  rows_ = (height + kTileHeight - 1) / kTileHeight;
  marked_.assign(static_cast<size_t>(columns_) * rows_, 0);
}

void TDirtyTiles::MarkBytes(size_t begin, size_t end) {
  if (begin >= end) return;
  const int firstRow = static_cast<int>(begin / stride_), lastRow = static_cast<int>((end - 1) / stride_);
  if (firstRow == lastRow) {
    MarkRows(firstRow, lastRow, static_cast<int>(begin % stride_) / pixelBytes_,
             static_cast<int>((end - 1) % stride_) / pixelBytes_ + 1);
  } else {
    MarkRows(firstRow, lastRow, 0, width_);
  }
}

void TDirtyTiles::MarkRows(int firstRow, int lastRow, int firstColumn, int endColumn) {
  firstRow = std::max(firstRow, 0);
  lastRow = std::min(lastRow, height_ - 1);
  endColumn = std::min(endColumn, width_);
  if (firstRow > lastRow || firstColumn >= endColumn) return;
  const int tileLeft = firstColumn / kTileWidth, tileRight = (endColumn - 1) / kTileWidth;
  for (int row = firstRow / kTileHeight; row <= lastRow / kTileHeight; ++row)
    std::fill_n(marked_.begin() + static_cast<ptrdiff_t>(row) * columns_ + tileLeft, tileRight - tileLeft + 1, 1);
}

QRegion TDirtyTiles::Region() const {
  std::vector<QRect> rects;
  for (int row = 0; row < rows_; ++row) {
    const uint8_t* line = marked_.data() + static_cast<size_t>(row) * columns_;
    for (int column = 0; column < columns_;) {
      if (!line[column]) {
        ++column;
        continue;
      }
      const int start = column;
      while (column < columns_ && line[column]) ++column;
      const QRect tiles(start * kTileWidth, row * kTileHeight, (column - start) * kTileWidth, kTileHeight);
      rects.push_back(tiles & QRect(0, 0, width_, height_));
    }
  }
  QRegion region;
  region.setRects(rects.data(), static_cast<int>(rects.size()));
  return region;
}
