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

// The blank runs from `runs` on: at most `limit` records, and fewer than
// `room` pixels in all, so that the caller's own loop still meets the end of
// the picture. The records after them are for the caller, blank or not. The
// first sixteen are read four to a 64-bit word: most stretches are the few
// blank runs between the changes of a row, and for them setting up a block
// costs more than the stretch. Longer ones go on in blocks, in the way
// chosen once by what the processor has. A call of its own: inlined into the
// frame loop, it made the loop's coloured runs a fifth slower.
TBlankRuns SkipBlankRuns(const uint8_t* runs, int64_t limit, int64_t room);

// The two ways of the blocks, none reaching past `limit`; named so that both
// can be checked on a processor that has AVX2.
TBlankRuns SkipBlankRunsAvx2(const uint8_t* runs, int64_t limit, int64_t room);
TBlankRuns SkipBlankRunsPortable(const uint8_t* runs, int64_t limit, int64_t room);
