#include "DirtyTiles.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr size_t kMostRectangles = 128;

}  // namespace

void TDirtyTiles::Reset(int width, int height, int pixelBytes) {
  const size_t oldColumns = columns_, oldRows = rows_;
  width_ = static_cast<size_t>(std::max(width, 0));
  height_ = static_cast<size_t>(std::max(height, 0));
  pixelShift_ = std::countr_zero(static_cast<unsigned>(std::max(pixelBytes, 1)));
  columns_ = (width_ + kTileWidth - 1) / kTileWidth;
  rows_ = (height_ + kTileHeight - 1) / kTileHeight;
  if (columns_ != oldColumns || rows_ != oldRows) {
    marked_.assign(columns_ * rows_, 0);
  } else if (firstRow_ < endRow_) {
    std::fill(marked_.begin() + static_cast<ptrdiff_t>(firstRow_ * columns_),
              marked_.begin() + static_cast<ptrdiff_t>(endRow_ * columns_), uint8_t{0});
  }
  firstRow_ = SIZE_MAX;
  endRow_ = 0;
}

QRegion TDirtyTiles::Region() const {
  // Tile rows marked alike make one band of taller rectangles: a window
  // dragged across the picture marks its two edges in every tile row it
  // spans, and two rectangles cost every later step far less than two a row.
  std::vector<QRect> rects;
  size_t bandBegin = 0;
  const uint8_t* bandLine = nullptr;
  for (size_t row = firstRow_; row < endRow_; ++row) {
    const uint8_t* line = marked_.data() + row * columns_;
    const bool empty = std::memchr(line, 1, columns_) == nullptr;
    if (empty) {
      bandLine = nullptr;
      continue;
    }
    const int bottom = static_cast<int>(std::min((row + 1) * kTileHeight, height_)) - 1;
    if (bandLine && std::equal(line, line + columns_, bandLine)) {
      for (size_t i = bandBegin; i < rects.size(); ++i) rects[i].setBottom(bottom);
      continue;
    }
    bandLine = line;
    bandBegin = rects.size();
    for (size_t column = 0; column < columns_;) {
      if (!line[column]) {
        ++column;
        continue;
      }
      const size_t start = column;
      while (column < columns_ && line[column]) ++column;
      const int left = static_cast<int>(start * kTileWidth);
      const int right = static_cast<int>(std::min(column * kTileWidth, width_)) - 1;
      rects.push_back(QRect(QPoint(left, static_cast<int>(row * kTileHeight)), QPoint(right, bottom)));
    }
  }
  // Changes scattered all over would make thousands of rectangles, and the
  // painting pays for each about as much as for a large one (and more for
  // each in a region of many): past a bound, each band is repainted whole
  // from its first marked tile to its last.
  if (rects.size() > kMostRectangles) {
    size_t kept = 0;
    for (size_t i = 0; i < rects.size();) {
      QRect band = rects[i];
      for (++i; i < rects.size() && rects[i].top() == band.top(); ++i) band.setRight(rects[i].right());
      rects[kept++] = band;
    }
    rects.resize(kept);
  }
  QRegion region;
  region.setRects(rects.data(), static_cast<int>(rects.size()));
  return region;
}
