// The part of a picture's memory that changed since it was last shown, in
// chunks of four pixels (16 bytes at 32 bits, 4 at 8 bits), so that
// presenting copies and looks up little more than what the runs changed;
// chunks of a cache line copied six times as much, and chunks of sixteen
// 8-bit pixels looked up four times as many colours for the edge of a
// dragged window. One bit a chunk: a 1080p picture's map is 64 KiB and is
// walked a word at a time.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

template <size_t ChunkBytes>
class TChangeMarker;

class TChangedArea {
 public:
  // The bytes of a chunk of four pixels of `pixelBytes` each.
  static constexpr size_t ChunkBytesFor(size_t pixelBytes) { return 4 * pixelBytes; }
  // Nothing changed in a picture of that many bytes, of pixels of
  // `pixelBytes` each.
  void Reset(size_t bytes, int pixelBytes) {
    const int shift = std::countr_zero(ChunkBytesFor(static_cast<size_t>(std::max(pixelBytes, 1))));
    const size_t chunks = (bytes + (size_t{1} << shift) - 1) >> shift;
    if (chunks != chunks_ || shift != shift_) {
      chunks_ = chunks;
      shift_ = shift;
      words_.assign((chunks + 63) / 64, 0);
    } else if (!Empty()) {
      std::fill(words_.begin() + static_cast<std::ptrdiff_t>(first_ / 64),
                words_.begin() + static_cast<std::ptrdiff_t>(last_ / 64 + 1), 0);
    }
    first_ = kNone;
    last_ = 0;
  }
  size_t ChunkBytes() const { return size_t{1} << shift_; }
  void MarkAll() { Mark(0, chunks_ << shift_); }
  // Bytes begin to end (exclusive) changed.
  void Mark(size_t begin, size_t end) {
    if (end <= begin || chunks_ == 0) return;
    const size_t c0 = begin >> shift_, c1 = std::min((end - 1) >> shift_, chunks_ - 1);
    if (c0 > c1) return;
    const size_t w0 = c0 / 64, w1 = c1 / 64;
    const uint64_t head = ~uint64_t{0} << (c0 % 64), tail = ~uint64_t{0} >> (63 - c1 % 64);
    if (w0 == w1) {
      words_[w0] |= head & tail;
    } else {
      words_[w0] |= head;
      std::fill(words_.begin() + static_cast<std::ptrdiff_t>(w0 + 1), words_.begin() + static_cast<std::ptrdiff_t>(w1),
                ~uint64_t{0});
      words_[w1] |= tail;
    }
    first_ = std::min(first_, c0);
    last_ = std::max(last_, c1);
  }
  bool Empty() const { return first_ > last_; }
  size_t FirstByte() const { return first_ << shift_; }
  size_t EndByte() const { return (last_ + 1) << shift_; }
  // Calls f(begin, end) for each run of changed chunks, in byte offsets.
  template <typename F>
  void ForEachRange(F f) const {
    if (Empty()) return;
    size_t runBegin = 0;
    bool inRun = false;
    for (size_t w = first_ / 64, lastWord = last_ / 64; w <= lastWord; ++w) {
      // Most of a picture is unchanged: words of nothing outside a run are
      // passed over in a loop of their own, four at a time.
      if (!inRun) {
        while (w + 4 <= lastWord && (words_[w] | words_[w + 1] | words_[w + 2] | words_[w + 3]) == 0) w += 4;
        while (w < lastWord && words_[w] == 0) ++w;
      }
      const uint64_t word = words_[w];
      size_t bit = 0;
      // Each pass finds where the current state (in a run or not) ends in this word.
      while (bit < 64) {
        const uint64_t rest = (inRun ? ~word : word) >> bit;
        if (rest == 0) break;
        bit += static_cast<size_t>(std::countr_zero(rest));
        if (inRun) {
          f(runBegin << shift_, (w * 64 + bit) << shift_);
        } else {
          runBegin = w * 64 + bit;
        }
        inRun = !inRun;
      }
    }
    if (inRun) f(runBegin << shift_, (last_ + 1) << shift_);
  }

 private:
  template <size_t ChunkBytes>
  friend class TChangeMarker;
  std::vector<uint64_t> words_;
  size_t chunks_ = 0;
  int shift_ = 4;  // a chunk is 1 << shift_ bytes
  static constexpr size_t kNone = SIZE_MAX;
  size_t first_ = kNone, last_ = 0;
};

// The changed bytes of a frame's runs as they come, in ascending order.
// Ranges closer than a chunk are joined first, so that a stretch of short
// runs costs one compare each; a joined range of one or two chunks then sets
// its bits straight away, and the bounds of the whole are settled in Flush.
// The frame loops know the chunk's size from their pixel's: as a constant,
// the size left their one-pixel runs as fast as they were, where read from
// the area it cost a fifth of the worst case at 32 bits.
template <size_t ChunkBytes>
class TChangeMarker {
 public:
  // The area's chunks must be ChunkBytes (ask ChunkBytes() first).
  explicit TChangeMarker(TChangedArea& area) : area_(area), words_(area.words_.data()), chunks_(area.chunks_) {}
  void Add(int64_t begin, int64_t end) {
    if (begin > end_ + kGap) {
      MarkJoined();
      begin_ = begin;
    }
    end_ = end;
  }
  void Flush() {
    MarkJoined();
    if (first_ > last_) return;
    area_.first_ = std::min(area_.first_, first_);
    area_.last_ = std::max(area_.last_, last_);
  }

 private:
  static constexpr int64_t kGap = ChunkBytes;

  void MarkJoined() {
    if (end_ <= begin_) return;
    const size_t c0 = static_cast<size_t>(begin_) / ChunkBytes;
    if (c0 >= chunks_) return;
    const size_t c1 = std::min(static_cast<size_t>(end_ - 1) / ChunkBytes, chunks_ - 1);
    if (c1 - c0 <= 1) {
      words_[c0 / 64] |= uint64_t{1} << (c0 % 64);
      words_[c1 / 64] |= uint64_t{1} << (c1 % 64);
    } else {
      area_.Mark(static_cast<size_t>(begin_), static_cast<size_t>(end_));
    }
    first_ = std::min(first_, c0);
    last_ = c1;
  }

  TChangedArea& area_;
  uint64_t* const words_;
  const size_t chunks_;
  int64_t begin_ = 0, end_ = -kGap - 1;
  size_t first_ = TChangedArea::kNone, last_ = 0;
};
