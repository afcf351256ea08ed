// The part of a picture's memory that changed since it was last shown, in
// chunks of 256 bytes, so that presenting copies only what changed.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

class TChangedArea {
 public:
  static constexpr size_t kChunkBytes = 256;

  // Nothing changed in a picture of that many bytes.
  void Reset(size_t bytes) {
    chunks_.assign((bytes + kChunkBytes - 1) / kChunkBytes, 0);
    first_ = chunks_.size();
    last_ = 0;
  }
  void MarkAll() { Mark(0, chunks_.size() * kChunkBytes); }
  // Bytes begin to end (exclusive) changed.
  void Mark(size_t begin, size_t end) {
    if (end <= begin || chunks_.empty()) return;
    const size_t c0 = begin / kChunkBytes, c1 = std::min((end - 1) / kChunkBytes, chunks_.size() - 1);
    if (c0 > c1) return;
    std::memset(chunks_.data() + c0, 1, c1 - c0 + 1);
    first_ = std::min(first_, c0);
    last_ = std::max(last_, c1);
  }
  bool Empty() const { return first_ > last_ || first_ >= chunks_.size(); }
  size_t FirstByte() const { return first_ * kChunkBytes; }
  size_t EndByte() const { return (last_ + 1) * kChunkBytes; }
  // Calls f(begin, end) for each run of changed chunks, in byte offsets.
  template <typename F>
  void ForEachRange(F f) const {
    if (Empty()) return;
    for (size_t c = first_; c <= last_; ++c) {
      if (!chunks_[c]) continue;
      size_t e = c;
      while (e + 1 <= last_ && chunks_[e + 1]) ++e;
      f(c * kChunkBytes, (e + 1) * kChunkBytes);
      c = e;
    }
  }

 private:
  std::vector<uint8_t> chunks_;
  size_t first_ = 0, last_ = 0;
};

// Joins the range begin..end to the pending one when they are less than a
// chunk apart, else marks the pending one and starts anew. The pending range
// lives in the caller's locals, which stay in registers in the run loops.
inline void JoinChangedRange(TChangedArea& area, int64_t& pendingBegin, int64_t& pendingEnd, int64_t begin,
                             int64_t end) {
  if (pendingEnd != 0 && begin <= pendingEnd + static_cast<int64_t>(TChangedArea::kChunkBytes)) {
    pendingEnd = std::max(pendingEnd, end);
    return;
  }
  if (pendingEnd != 0) area.Mark(static_cast<size_t>(pendingBegin), static_cast<size_t>(pendingEnd));
  pendingBegin = begin;
  pendingEnd = end;
}
