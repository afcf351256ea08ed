// Reads another stream ahead in pieces, so that the many small fields of a
// movie file cost one system call a piece instead of several a field (a file
// stream asks the system at every read, seek and question of its size).
// Large reads go straight through. The source must not change while it is
// read this way; when this stream goes, the source stands where it was read to.
#pragma once

#include <cstdint>
#include <vector>

#include "Streams.h"

namespace platform {

class TReadAheadStream : public TStream {
 public:
  explicit TReadAheadStream(TStream& source);
  ~TReadAheadStream() override;
  TReadAheadStream(const TReadAheadStream&) = delete;
  TReadAheadStream& operator=(const TReadAheadStream&) = delete;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void*, int64_t) override { return 0; }
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Size() override { return size_; }

 private:
  static constexpr int64_t kPieceBytes = int64_t{64} << 10;

  TStream& source_;
  const int64_t size_;
  // Where this stream reads next, and where the source stands.
  int64_t position_, sourcePosition_;
  // The piece held: the bytes of the source from pieceStart_ to pieceEnd_,
  // in a buffer made once at the size of a piece.
  std::vector<uint8_t> piece_;
  int64_t pieceStart_ = 0, pieceEnd_ = 0;
};

}  // namespace platform
