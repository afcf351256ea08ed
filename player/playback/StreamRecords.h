// The records that go beside the frames, one of each a frame: where the
// cursor is and which shape it has, and the colour-table entries an 8-bit
// segment changes.
#pragma once

#include <array>
#include <cstdint>

#include "Gdi.h"
#include "Streams.h"

struct TCursorRecord {
  uint16_t ShapeIndex = 0;
  uint16_t X = 0;
  uint16_t Y = 0;

  bool operator==(const TCursorRecord&) const = default;
};

using TColorTable = std::array<gdi::RGBQuad, 256>;

// Reads the next cursor record into `record`; past the end of the stream the
// record stays as it was.
void ReadCursorRecord(platform::TStream& stream, TCursorRecord& record);

// Reads the next palette record into `table`: a count (0 for no change), the
// first entry, then the entries. A record that reaches past entry 255 is cut
// at the end of the table.
void ReadPaletteRecord(platform::TStream& stream, TColorTable& table);
