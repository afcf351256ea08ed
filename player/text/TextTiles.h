// Where a picture changed and when, on a grid of small tiles: which parts
// have settled (stood unchanged for a while since they last changed) and not
// been read since, and when the part under a line of text last changed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "TextLine.h"

class TTextTiles {
 public:
  static constexpr int kTile = 16;

  // Every tile unchanged and read, in a picture of that size and layout.
  void Reset(int width, int height, size_t stride, int pixelBytes);
  // The pixels of a byte range of the picture memory changed on `frame`.
  void MarkBytes(size_t begin, size_t end, int32_t frame);
  void MarkAll(int32_t frame);

  // The areas, in pixels, of tiles changed since they were read and unchanged
  // for at least `settle` frames before `frame`; neighbouring tiles, and
  // tiles a tile apart in a row (the gap between two words), form one area.
  // They count as read from here on.
  std::vector<TTextBox> TakeSettled(int32_t frame, int32_t settle);
  // Some tile under the box changed on `frame`.
  bool ChangedOn(const TTextBox& box, int32_t frame) const;
  // The last frame any tile under the box changed on.
  int32_t LastChange(const TTextBox& box) const;
  // Some tile changed on `frame`.
  bool AnyChangedOn(int32_t frame) const { return lastMarked_ == frame; }

 private:
  struct TTileSpan {
    int column0, row0, column1, row1;  // inclusive
  };
  TTileSpan SpanOf(const TTextBox& box) const;
  void MarkTile(size_t tile, int32_t frame);

  int width_ = 0, height_ = 0, columns_ = 0, rows_ = 0, pixelBytes_ = 1;
  size_t stride_ = 1;
  std::vector<int32_t> lastChange_;
  std::vector<uint8_t> unread_;
  std::vector<size_t> unreadList_;
  int32_t lastMarked_ = -1;
};
