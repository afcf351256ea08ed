// The chain of frame records in a segment's frame stream. A record is its own
// length in bytes (4 bytes), the number of its runs (4 bytes), and the runs;
// a run is its colour, then how many pixels it covers, little-endian, in as
// many bytes as the segment's pixel format says.
#pragma once

#include <algorithm>
#include <cstdint>

#include "LittleEndian.h"
#include "PixelFormat.h"

inline constexpr int64_t kFrameRecordHeaderBytes = 8;

// The length of the record at `offset` in a stream of `size` bytes; 0 when it
// can't be right (shorter than the record's head, or running past the
// stream), which ends the chain: the frames after it are empty.
inline int64_t RecordLength(const uint8_t* stream, int64_t offset, int64_t size) {
  const int64_t length = offset + 4 <= size ? platform::Int32LE(stream + offset) : 0;
  return length < kFrameRecordHeaderBytes || offset + length > size ? 0 : length;
}

// Where the record after the one at `offset` starts; the stream's end when
// the chain ends there.
inline int64_t NextRecordOffset(const uint8_t* stream, int64_t offset, int64_t size) {
  const int64_t length = RecordLength(stream, offset, size);
  return length == 0 ? size : offset + length;
}

// The runs of a record of which `available` bytes may be read: as many as it
// says, but no more than those bytes hold.
inline int64_t RunCount(const uint8_t* record, int64_t available, const TPixelFormat& format) {
  if (available < kFrameRecordHeaderBytes) return 0;
  return std::min<int64_t>(std::max(platform::Int32LE(record + 4), 0),
                           (available - kFrameRecordHeaderBytes) / format.RunRecordBytes);
}

struct TRun {
  uint32_t colour;
  uint32_t count;
};

// A run of ColorBytes of colour and CountBytes of count. The 24-bit colour is
// read as four bytes, the fourth being the count's first.
template <int ColorBytes, int CountBytes>
TRun ReadRun(const uint8_t* run) {
  static_assert((ColorBytes == 3 && CountBytes == 2) || (ColorBytes == 1 && CountBytes == 1));
  if constexpr (ColorBytes == 3) {
    return {static_cast<uint32_t>(platform::Int32LE(run)) & 0xFFFFFFu, run[3] | (uint32_t{run[4]} << 8)};
  } else {
    return {run[0], run[1]};
  }
}

// Whether a record changes the picture: a run of a colour other than 0 that
// covers a pixel or more (the XOR with 0 changes nothing).
inline bool ChangesPicture(const uint8_t* record, int64_t available, const TPixelFormat& format) {
  const int64_t runs = RunCount(record, available, format);
  const uint8_t* run = record + kFrameRecordHeaderBytes;
  for (int64_t i = 0; i < runs; ++i, run += format.RunRecordBytes) {
    const TRun r = format.RunColorBytes == 3 ? ReadRun<3, 2>(run) : ReadRun<1, 1>(run);
    if (r.colour != 0 && r.count != 0) return true;
  }
  return false;
}
