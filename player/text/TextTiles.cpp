#include "TextTiles.h"

#include <algorithm>

void TTextTiles::Reset(int width, int height, size_t stride, int pixelBytes) {
  width_ = width, height_ = height, stride_ = std::max<size_t>(stride, 1), pixelBytes_ = std::max(pixelBytes, 1);
  columns_ = (width + kTile - 1) / kTile;
  rows_ = (height + kTile - 1) / kTile;
  lastChange_.assign(static_cast<size_t>(columns_) * rows_, -1);
  unread_.assign(lastChange_.size(), 0);
  unreadList_.clear();
  lastMarked_ = -1;
}

void TTextTiles::MarkTile(size_t tile, int32_t frame) {
  lastChange_[tile] = frame;
  if (!unread_[tile]) {
    unread_[tile] = 1;
    unreadList_.push_back(tile);
  }
}

void TTextTiles::MarkAll(int32_t frame) {
  for (size_t t = 0; t < lastChange_.size(); ++t) MarkTile(t, frame);
  lastMarked_ = frame;
}

void TTextTiles::MarkBytes(size_t begin, size_t end, int32_t frame) {
  if (end <= begin || columns_ == 0) return;
  const int rowBytes = width_ * pixelBytes_;
  const int firstRow = static_cast<int>(begin / stride_), lastRow = static_cast<int>((end - 1) / stride_);
  if (firstRow >= height_) return;
  int x0 = 0, x1 = width_ - 1;
  // A range within one row changes part of it; one over several rows is taken as whole rows.
  if (firstRow == lastRow) {
    x0 = static_cast<int>(begin % stride_) / pixelBytes_;
    x1 = std::min(static_cast<int>((end - 1) % stride_), rowBytes - 1) / pixelBytes_;
    if (x0 >= width_) return;
  }
  const int r0 = firstRow / kTile, r1 = std::min(lastRow, height_ - 1) / kTile;
  for (int r = r0; r <= r1; ++r)
    for (int c = x0 / kTile; c <= x1 / kTile; ++c) MarkTile(static_cast<size_t>(r) * columns_ + c, frame);
  lastMarked_ = frame;
}

TTextTiles::TTileSpan TTextTiles::SpanOf(const TTextBox& box) const {
  return {std::clamp(box.x / kTile, 0, columns_ - 1), std::clamp(box.y / kTile, 0, rows_ - 1),
          std::clamp((box.x + box.width - 1) / kTile, 0, columns_ - 1),
          std::clamp((box.y + box.height - 1) / kTile, 0, rows_ - 1)};
}

bool TTextTiles::ChangedOn(const TTextBox& box, int32_t frame) const {
  if (lastMarked_ != frame || columns_ == 0) return false;
  const TTileSpan s = SpanOf(box);
  for (int r = s.row0; r <= s.row1; ++r)
    for (int c = s.column0; c <= s.column1; ++c)
      if (lastChange_[static_cast<size_t>(r) * columns_ + c] == frame) return true;
  return false;
}

int32_t TTextTiles::LastChange(const TTextBox& box) const {
  if (columns_ == 0) return -1;
  const TTileSpan s = SpanOf(box);
  int32_t last = -1;
  for (int r = s.row0; r <= s.row1; ++r)
    for (int c = s.column0; c <= s.column1; ++c) last = std::max(last, lastChange_[static_cast<size_t>(r) * columns_ + c]);
  return last;
}

std::vector<TTextBox> TTextTiles::TakeSettled(int32_t frame, int32_t settle) {
  std::vector<TTextBox> areas;
  if (unreadList_.empty()) return areas;
  auto settled = [&](size_t t) { return unread_[t] == 1 && frame - lastChange_[t] >= settle; };
  if (std::none_of(unreadList_.begin(), unreadList_.end(), settled)) return areas;
  // Flood each group of settled tiles; 2 marks a tile taken into an area.
  std::vector<size_t> stack;
  for (const size_t start : unreadList_) {
    if (!settled(start)) continue;
    unread_[start] = 2;
    stack.push_back(start);
    int c0 = columns_, r0 = rows_, c1 = -1, r1 = -1;
    while (!stack.empty()) {
      const size_t t = stack.back();
      stack.pop_back();
      const int r = static_cast<int>(t / columns_), c = static_cast<int>(t % columns_);
      c0 = std::min(c0, c), c1 = std::max(c1, c), r0 = std::min(r0, r), r1 = std::max(r1, r);
      for (int dr = -1; dr <= 1; ++dr)
        for (int dc = -2; dc <= 2; ++dc) {
          const int nr = r + dr, nc = c + dc;
          if (nr < 0 || nr >= rows_ || nc < 0 || nc >= columns_) continue;
          const size_t n = static_cast<size_t>(nr) * columns_ + nc;
          if (settled(n)) {
            unread_[n] = 2;
            stack.push_back(n);
          }
        }
    }
    const int x = c0 * kTile, y = r0 * kTile;
    areas.push_back({x, y, std::min((c1 + 1) * kTile, width_) - x, std::min((r1 + 1) * kTile, height_) - y});
  }
  // Taken tiles count as read; the others stay waiting.
  std::erase_if(unreadList_, [&](size_t t) {
    if (unread_[t] != 2) return false;
    unread_[t] = 0;
    return true;
  });
  return areas;
}
