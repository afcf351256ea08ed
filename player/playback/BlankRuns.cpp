#include "BlankRuns.h"

#include <immintrin.h>

#include <cstring>

namespace {

// One step of four records read as a 64-bit word: the blank records it
// begins with are added to `done` when they stay short of `room` pixels in
// all. True when all four were blank and taken, so that the next may follow.
bool TakeBlankWord(const uint8_t* runs, int64_t room, TBlankRuns& done) {
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

__attribute__((target("avx2"))) int64_t SumOfLanes(__m256i sums) {
  __m128i sum = _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
  sum = _mm_add_epi64(sum, _mm_unpackhi_epi64(sum, sum));
  return _mm_cvtsi128_si64(sum);
}

}  // namespace

// Sixteen records of two bytes in one AVX2 register. A block whose records
// are not all blank still gives the blank ones it begins with, so a stretch
// of a few blank runs between changed rows takes one step.
__attribute__((target("avx2"))) TBlankRuns SkipBlankRunsAvx2(const uint8_t* runs, int64_t limit, int64_t room) {
  constexpr int64_t kBlock = 16;
  const __m256i colours = _mm256_set1_epi16(0x00FF);
  const __m256i zero = _mm256_setzero_si256();
  const __m256i byteIndex = _mm256_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
                                             21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31);
  // Far from the picture's end, whole blocks of blank records are summed in
  // the register, without asking after the room at each: a block covers at
  // most 16 × 255 pixels. A still 1080p picture is 500 such blocks.
  constexpr int64_t kMostBlockPixels = kBlock * 255;
  TBlankRuns done{0, 0};
  __m256i safeSums = zero;
  int64_t most = kMostBlockPixels;
  while (limit - done.records >= kBlock) {
    __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(runs + done.records * 2));
    // Two bits a record, set where its colour is 0.
    const uint32_t blank =
        static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi16(_mm256_and_si256(block, colours), zero)));
    if (blank == ~0u && most < room) {
      safeSums = _mm256_add_epi64(safeSums, _mm256_sad_epu8(block, zero));
      done.records += kBlock;
      most += kMostBlockPixels;
      continue;
    }
    // Near the end, or at the first coloured record: counted block by block.
    done.pixels += SumOfLanes(safeSums);
    safeSums = zero;
    const int64_t records = blank == ~0u ? kBlock : __builtin_ctz(~blank) / 2;
    if (records < kBlock) {
      const __m256i kept = _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(records * 2)), byteIndex);
      block = _mm256_and_si256(block, kept);
    }
    // The colours kept are 0, so the sum of the bytes is the sum of the counts.
    const int64_t pixels = SumOfLanes(_mm256_sad_epu8(block, zero));
    if (done.pixels + pixels >= room) return done;
    done.records += records;
    done.pixels += pixels;
    if (records < kBlock) return done;
    most = room;
  }
  done.pixels += SumOfLanes(safeSums);
  return done;
}

// Four records in one 64-bit word, on any processor.
TBlankRuns SkipBlankRunsPortable(const uint8_t* runs, int64_t limit, int64_t room) {
  TBlankRuns done{0, 0};
  while (limit - done.records >= 4 && TakeBlankWord(runs, room, done)) {
  }
  return done;
}

namespace {

using SkipFunction = TBlankRuns (*)(const uint8_t*, int64_t, int64_t);

SkipFunction ChooseSkipBlankRuns() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? SkipBlankRunsAvx2 : SkipBlankRunsPortable;
}

// Chosen when the program starts, so that a call costs no more than an
// indirect one: the frame step makes one for every long stretch of blank runs.
// (A resolver run by the loader would be cheaper still, but runs before the
// sanitizers are ready.)
const SkipFunction kChosenSkip = ChooseSkipBlankRuns();

}  // namespace

TBlankRuns SkipBlankRuns(const uint8_t* runs, int64_t limit, int64_t room) {
  TBlankRuns done{0, 0};
  for (int word = 0; word < 4; ++word)
    if (limit - done.records < 4 || !TakeBlankWord(runs, room, done)) return done;
  const TBlankRuns more = kChosenSkip(runs + done.records * 2, limit - done.records, room - done.pixels);
  return {done.records + more.records, done.pixels + more.pixels};
}
