#include "ReadAheadStream.h"

#include <algorithm>
#include <cstring>

namespace platform {

TReadAheadStream::TReadAheadStream(TStream& source)
    : source_(source), size_(source.Size()), position_(source.Position()), sourcePosition_(position_) {}

TReadAheadStream::~TReadAheadStream() {
  if (sourcePosition_ == position_) return;
  try {
    source_.Seek(position_, SeekOrigin::Begin);
  } catch (...) {  // a destructor must not throw; the source's own reads will fail
  }
}

int64_t TReadAheadStream::Read(void* buffer, int64_t count) {
  auto* out = static_cast<uint8_t*>(buffer);
  int64_t done = 0;
  while (done < count) {
    if (position_ >= pieceStart_ && position_ < pieceEnd_) {
      const int64_t n = std::min(count - done, pieceEnd_ - position_);
      std::memcpy(out + done, piece_.data() + (position_ - pieceStart_), static_cast<size_t>(n));
      position_ += n;
      done += n;
      continue;
    }
    if (sourcePosition_ != position_) sourcePosition_ = source_.Seek(position_, SeekOrigin::Begin);
    if (sourcePosition_ != position_) break;
    if (count - done >= kPieceBytes) {
      const int64_t n = source_.Read(out + done, count - done);
      if (n <= 0) break;
      sourcePosition_ += n;
      position_ += n;
      done += n;
      continue;
    }
    if (piece_.empty()) piece_.resize(static_cast<size_t>(kPieceBytes));
    const int64_t n = source_.Read(piece_.data(), kPieceBytes);
    pieceStart_ = position_;
    pieceEnd_ = position_ + std::max<int64_t>(n, 0);
    if (n <= 0) break;
    sourcePosition_ += n;
  }
  return done;
}

int64_t TReadAheadStream::Seek(int64_t offset, SeekOrigin origin) {
  const int64_t base = origin == SeekOrigin::Begin ? 0 : origin == SeekOrigin::Current ? position_ : size_;
  position_ = std::max<int64_t>(0, base + offset);
  return position_;
}

}  // namespace platform
