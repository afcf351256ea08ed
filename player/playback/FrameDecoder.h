// Applies one run-length coded XOR difference frame to a picture.
//
// Runs cover the picture in raster order (a run may go on across the end of a
// row), so the XOR of the decoded difference with the picture can be done run
// by run: a run of colour 0 changes nothing and is only skipped over. The
// result is the picture that decoding the whole difference and then XORing it
// in would give.
#pragma once

#include <cstdint>

#include "ChangedArea.h"
#include "Gdi.h"

// `record` is the frame record (length, run count, runs), of which
// `available` bytes may be read. Runs that would read past `available` or
// write past the picture end the frame there. `picture` is 32 bits per pixel
// for 24- and 32-bit segments and 8 bits for 8-bit segments. The bytes that
// changed are marked in `changed`.
//
// What a record gave: the bytes of it that were read (its head and the runs
// applied), and whether it was cut: runs it declares were not applied,
// because the bytes given or the picture ended first.
struct TFrameApplied {
  int64_t bytes;
  bool cut;
};
[[nodiscard]] TFrameApplied ApplyFrameRecord(const uint8_t* record, int64_t available, int depth, gdi::Bitmap& picture,
                                             TChangedArea& changed);
