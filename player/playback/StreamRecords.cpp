#include "StreamRecords.h"

#include <algorithm>

void ReadCursorRecord(platform::TStream& stream, TCursorRecord& record) {
  uint8_t b[6];
  if (stream.Read(b, 6) == 6)
    record = {static_cast<uint16_t>(b[0] | b[1] << 8), static_cast<uint16_t>(b[2] | b[3] << 8),
              static_cast<uint16_t>(b[4] | b[5] << 8)};
}

void ReadPaletteRecord(platform::TStream& stream, TColorTable& table) {
  uint8_t count = 0;
  if (stream.Read(&count, 1) != 1 || count == 0) return;
  uint8_t first = 0;
  if (stream.Read(&first, 1) != 1) return;
  std::array<gdi::RGBQuad, 255> entries{};
  const int64_t got = stream.Read(entries.data(), 4 * int64_t{count}) / 4;
  const int64_t n = std::min<int64_t>(got, 256 - first);
  std::copy(entries.begin(), entries.begin() + n, table.begin() + first);
}
