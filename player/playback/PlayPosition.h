// Where playing stands in the active segment, apart from the picture: what
// the frame step reads next and what it carries from frame to frame. Saving
// one and restoring it later, with the picture that belongs to it, goes on
// exactly as playing on from there would.
#pragma once

#include <cstdint>

#include "StreamRecords.h"

// What a frame's pictures depend on besides the streams: the colour table
// the palette records change, and the last cursor record read.
struct TCarriedState {
  TColorTable ColorTable{};
  TCursorRecord Cursor;
};

struct TPlayPosition {
  int32_t Frame = 0;
  // Where the frame's record starts in the segment's frame stream.
  uint32_t RecordOffset = 0;
  // The cursor and palette streams, before the frame's records are read.
  int64_t CursorPosition = 0;
  int64_t PalettePosition = 0;
  TCarriedState Carried;
};
