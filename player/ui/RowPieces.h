// Byte ranges of a picture's memory cut where its rows end. A tick's changed
// ranges come in ascending order, most of them a few to a row and the next
// in the row below, so the row is stepped on, and worked out by division
// only when a range lies far from the row of the last one: a division for
// each row of a dragged window's edges was a tenth of presenting it.
#pragma once

#include <algorithm>
#include <cstddef>

class TRowPieces {
 public:
  explicit TRowPieces(size_t stride) : stride_(std::max<size_t>(stride, 1)) {}

  // Calls f(row, begin, end) for each row that bytes begin to end (exclusive)
  // fall in, begin and end counted from the first byte of that row.
  template <typename F>
  void Split(size_t begin, size_t end, F f) {
    while (begin < end) {
      // Unsigned: a range before the row wraps round and is divided for too.
      if (begin - rowBegin_ >= stride_) {
        if (begin - rowBegin_ < 4 * stride_) {
          do {
            rowBegin_ += stride_;
            ++row_;
          } while (begin - rowBegin_ >= stride_);
        } else {
          row_ = begin / stride_;
          rowBegin_ = row_ * stride_;
        }
      }
      const size_t pieceEnd = std::min(end, rowBegin_ + stride_);
      f(row_, begin - rowBegin_, pieceEnd - rowBegin_);
      begin = pieceEnd;
    }
  }

 private:
  size_t stride_, row_ = 0, rowBegin_ = 0;
};
