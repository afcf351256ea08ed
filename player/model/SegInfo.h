// One segment of a loaded movie: its information record as stored in the
// file, and the streams and cursor shapes it owns.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "Streams.h"
#include "ekCursor.h"

// A length byte and 255 bytes of Windows-1251 text.
struct TShortString {
  std::array<uint8_t, 256> Bytes{};

  std::string Raw() const { return std::string(reinterpret_cast<const char*>(Bytes.data()) + 1, Bytes[0]); }
  std::string Utf8() const;
};

// Frames a second a segment is converted and its text read at: an unknown
// rate (0) counts as 10.
inline int KnownFrameRate(int rate) { return rate == 0 ? 10 : rate; }

struct SegmentTableEntry {
  TShortString Name;
  int32_t FrameCount = 0;
  uint8_t FrameRate = 0;
};

struct SegInfo {
  static constexpr int kRecordBytes = 278;
  // The frame buffer's size: a longer frame stream can never be played, and
  // is passed over unread, so that a small compressed file can't fill memory.
  static constexpr int64_t kLongestPlayableFrames = 67108864;

  int32_t SegStreamSize = 0;
  int32_t CursStreamSize = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  uint8_t BitsPerPixel = 0;
  int32_t FrameCount = 0;
  uint8_t FrameRate = 0;
  TShortString Name;
  // The memory the cursor shapes of the movie keep, this segment's and all before it.
  int64_t MovieShapeBytes = 0;

  std::unique_ptr<TCursorList> CursorList;
  // Empty for a frame stream longer than can be played; SegStreamSize tells its length.
  std::unique_ptr<platform::TMemoryStream> SegStream;
  std::unique_ptr<platform::TMemoryStream> CursStream;
  std::unique_ptr<platform::TMemoryStream> PaletteStream;
};
