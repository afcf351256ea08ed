// Runs of colour 0 in an 8-bit frame record. A run's count is one byte, so a
// picture that stays still for 1920 × 1080 pixels is some eight thousand of
// them, 255 pixels each: passing over them in blocks is most of a still
// frame's step.
#pragma once

#include <cstdint>

struct TBlankRuns {
  int64_t records;
  int64_t pixels;
};

// The blank runs from `runs` on, read in blocks: at most `limit` records,
// none of a block that would reach past `limit`, and fewer than `room` pixels
// in all, so that the caller's own loop still meets the end of the picture.
// The records after them are for the caller, blank or not.
TBlankRuns SkipBlankRuns(const uint8_t* runs, int64_t limit, int64_t room);

// The two ways SkipBlankRuns goes, chosen once by what the processor has;
// named so that both can be checked on a processor that has AVX2.
TBlankRuns SkipBlankRunsAvx2(const uint8_t* runs, int64_t limit, int64_t room);
TBlankRuns SkipBlankRunsPortable(const uint8_t* runs, int64_t limit, int64_t room);
