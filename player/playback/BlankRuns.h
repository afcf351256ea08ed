// Runs of colour 0 in an 8-bit frame record. A run's count is one byte, so a
// picture that stays still for 1920 × 1080 pixels is some eight thousand of
// them, 255 pixels each: passing over them in blocks is most of a still
// frame's step.
#pragma once

#include <cstdint>
#include <cstring>

struct TBlankRuns {
  int64_t records;
  int64_t pixels;
};

// One step of four records read as a 64-bit word: the blank records it
// begins with are added to `done` when they stay short of `room` pixels in
// all. True when all four were blank and taken, so that the next may follow.
inline bool TakeBlankWord(const uint8_t* runs, int64_t room, TBlankRuns& done) {
  constexpr uint64_t kEvenBytes = 0x00FF00FF00FF00FFu;
  uint64_t word;
  std::memcpy(&word, runs + done.records * 2, sizeof word);
  const uint64_t colours = word & kEvenBytes;
  const int64_t records = colours == 0 ? 4 : __builtin_ctzll(colours) / 16;
  if (records < 4) word &= (uint64_t{1} << (16 * records)) - 1;
  // The counts kept, at most 1020 together, summed in the top 16 bits.
  const int64_t pixels = static_cast<int64_t>((((word >> 8) & kEvenBytes) * 0x0001000100010001u) >> 48);
  if (done.pixels + pixels >= room) return false;
  done.records += records;
  done.pixels += pixels;
  return records == 4;
}

// The blank runs from `runs` on, read in blocks: at most `limit` records,
// none of a block that would reach past `limit`, and fewer than `room` pixels
// in all, so that the caller's own loop still meets the end of the picture.
// The records after them are for the caller, blank or not. Chosen once by
// what the processor has; the two ways are named so that both can be checked
// on a processor that has AVX2.
TBlankRuns SkipBlankRunsInBlocks(const uint8_t* runs, int64_t limit, int64_t room);
TBlankRuns SkipBlankRunsAvx2(const uint8_t* runs, int64_t limit, int64_t room);
TBlankRuns SkipBlankRunsPortable(const uint8_t* runs, int64_t limit, int64_t room);

// As SkipBlankRunsInBlocks, the first sixteen records word by word where the
// caller is: most stretches are the few blank runs between the changes of a
// row, and for them the call and the setting up of a block cost more than
// the stretch.
inline TBlankRuns SkipBlankRuns(const uint8_t* runs, int64_t limit, int64_t room) {
  TBlankRuns done{0, 0};
  for (int word = 0; word < 4; ++word)
    if (limit - done.records < 4 || !TakeBlankWord(runs, room, done)) return done;
  const TBlankRuns more = SkipBlankRunsInBlocks(runs + done.records * 2, limit - done.records, room - done.pixels);
  return {done.records + more.records, done.pixels + more.pixels};
}
