#include "FrameDecoder.h"

#include <algorithm>
#include <cstring>

#include "BlankRuns.h"
#include "FrameRecords.h"
#include "PixelFormat.h"

namespace {

// Long runs, as in whole-screen switches and full changes, are XORed with the
// widest vectors the processor has; short ones are done in place.
constexpr int64_t kLongRun = 32;

__attribute__((target_clones("avx512f", "avx2", "default"))) void XorSpan(uint32_t* p, int64_t n, uint32_t value) {
  for (int64_t k = 0; k < n; ++k) p[k] ^= value;
}

__attribute__((target_clones("avx512f", "avx2", "default"))) void XorSpan(uint8_t* p, int64_t n, uint8_t value) {
  for (int64_t k = 0; k < n; ++k) p[k] ^= value;
}

// At 8 bits a stretch that stays still is a long row of blank runs; from
// four blank runs in a row, it is passed over a word and then a block at a
// time, and the records are left to the loop where blank and coloured runs
// take turns. Two or three blank runs between the changes of one row are
// cheaper in that loop. Only blank runs look ahead: a coloured run pays
// nothing for it.
template <int ColorBytes>
inline bool BlankStretchAhead(const TRun& run, const uint8_t* runs, int64_t left) {
  if (ColorBytes != 1 || run.colour != 0 || left < 4) return false;
  uint64_t four;
  std::memcpy(&four, runs, sizeof four);
  return (four & 0x00FF00FF00FF00FFu) == 0;
}

// Moves a place in the picture on by `pixels`. The blank runs between two
// changes in a row seldom pass more than a few row ends, and a division per
// stretch was a fifth of an 8-bit frame step of a 769-pixel-wide picture.
inline void MoveOn(int& row, int64_t& column, int64_t pixels, int64_t width) {
  column += pixels;
  if (column < width) return;
  if (column < 4 * width) {
    do {
      column -= width;
      ++row;
    } while (column >= width);
    return;
  }
  row += static_cast<int>(column / width);
  column %= width;
}

template <typename Pixel>
inline void XorRun(Pixel* p, int64_t n, Pixel value) {
  if (n == 1) {
    *p ^= value;
  } else if (n >= kLongRun) {
    XorSpan(p, n, value);
  } else {
    for (int64_t k = 0; k < n; ++k) p[k] ^= value;
  }
}

// Pixel is the picture's pixel type, the run record has ColorBytes of colour
// and CountBytes of repeat count. Runs go on across the ends of rows; a run
// that stays inside its row, the usual case, costs no row bookkeeping.
template <typename Pixel, int ColorBytes, int CountBytes>
int64_t ApplyRuns(const uint8_t* runs, int64_t runCount, gdi::Bitmap& picture, TChangedArea& changed) {
  constexpr int kRecordBytes = ColorBytes + CountBytes;
  constexpr int64_t kPixelBytes = sizeof(Pixel);
  const int64_t width = picture.Width();
  const int height = picture.Height();
  const int64_t stride = picture.Stride();
  uint8_t* const bits = picture.Bits();
  TChangeMarker<TChangedArea::ChunkBytesFor(sizeof(Pixel))> marker(changed);
  int row = 0;
  int64_t column = 0;
  const uint8_t* const first = runs;
  for (int64_t i = 0; i < runCount && row < height; ++i, runs += kRecordBytes) {
    TRun run = ReadRun<ColorBytes, CountBytes>(runs);
    if (BlankStretchAhead<ColorBytes>(run, runs, runCount - i)) {
      const TBlankRuns blank = SkipBlankRuns(runs, runCount - i, int64_t{height} * width - (row * width + column));
      i += blank.records;
      runs += blank.records * kRecordBytes;
      MoveOn(row, column, blank.pixels, width);
      if (i == runCount) break;
      run = ReadRun<ColorBytes, CountBytes>(runs);
    }
    auto [colour, count] = run;
    if (column + count < width) {
      if (colour != 0) {
        const int64_t at = row * stride + column * kPixelBytes;
        XorRun(reinterpret_cast<Pixel*>(bits + at), count, static_cast<Pixel>(colour));
        marker.Add(at, at + count * kPixelBytes);
      }
      column += count;
      continue;
    }
    if (colour == 0) {
      MoveOn(row, column, count, width);
      continue;
    }
    while (count > 0 && row < height) {
      const int64_t n = std::min<int64_t>(count, width - column);
      const int64_t at = row * stride + column * kPixelBytes;
      XorRun(reinterpret_cast<Pixel*>(bits + at), n, static_cast<Pixel>(colour));
      marker.Add(at, at + n * kPixelBytes);
      count -= static_cast<uint32_t>(n);
      column += n;
      if (column == width) {
        column = 0;
        ++row;
      }
    }
  }
  marker.Flush();
  // Counted from the pointer: a loop counter kept alive past the loop made
  // the one-pixel runs of the worst case 60 % slower.
  return (runs - first) / kRecordBytes;
}

// Rows without padding lie end to end, so the runs go straight through the
// memory: no row bookkeeping, only the end of the picture to respect.
template <typename Pixel, int ColorBytes, int CountBytes>
int64_t ApplyRunsUnpadded(const uint8_t* runs, int64_t runCount, gdi::Bitmap& picture, TChangedArea& changed) {
  constexpr int kRecordBytes = ColorBytes + CountBytes;
  constexpr int64_t kPixelBytes = sizeof(Pixel);
  const int64_t total = int64_t{picture.Width()} * picture.Height();
  Pixel* const pixels = reinterpret_cast<Pixel*>(picture.Bits());
  TChangeMarker<TChangedArea::ChunkBytesFor(sizeof(Pixel))> marker(changed);
  int64_t position = 0;
  const uint8_t* const first = runs;
  for (int64_t i = 0; i < runCount && position < total; ++i, runs += kRecordBytes) {
    TRun run = ReadRun<ColorBytes, CountBytes>(runs);
    if (BlankStretchAhead<ColorBytes>(run, runs, runCount - i)) {
      const TBlankRuns blank = SkipBlankRuns(runs, runCount - i, total - position);
      i += blank.records;
      runs += blank.records * kRecordBytes;
      position += blank.pixels;
      if (i == runCount) break;
      run = ReadRun<ColorBytes, CountBytes>(runs);
    }
    const auto [colour, count] = run;
    const int64_t end = std::min<int64_t>(position + count, total);
    if (colour != 0) {
      XorRun(pixels + position, end - position, static_cast<Pixel>(colour));
      marker.Add(position * kPixelBytes, end * kPixelBytes);
    }
    position = end;
  }
  marker.Flush();
  // Counted from the pointer: a loop counter kept alive past the loop made
  // the one-pixel runs of the worst case 60 % slower.
  return (runs - first) / kRecordBytes;
}

}  // namespace

TFrameApplied ApplyFrameRecord(const uint8_t* record, int64_t available, int depth, gdi::Bitmap& picture,
                               TChangedArea& changed) {
  const auto format = PixelFormatFor(depth);
  if (!format || available < kFrameRecordHeaderBytes) return {0, true};
  const int64_t declared = std::max(platform::Int32LE(record + 4), 0);
  const int64_t runCount = RunCount(record, available, *format);
  const uint8_t* const runs = record + kFrameRecordHeaderBytes;
  const bool unpadded = picture.Stride() == picture.Width() * picture.BitsPerPixel() / 8;
  // The runs mark chunks of four of the picture's pixels; an area kept
  // otherwise is taken as changed all over.
  const auto fitChanges = [&](int pixelBytes) {
    if (changed.ChunkBytes() == TChangedArea::ChunkBytesFor(static_cast<size_t>(pixelBytes))) return;
    changed.Reset(picture.ByteSize(), pixelBytes);
    changed.MarkAll();
  };
  int64_t applied = 0;
  if (depth == 8 && picture.BitsPerPixel() == 8) {
    fitChanges(1);
    applied = unpadded ? ApplyRunsUnpadded<uint8_t, 1, 1>(runs, runCount, picture, changed)
                       : ApplyRuns<uint8_t, 1, 1>(runs, runCount, picture, changed);
  } else if (depth != 8 && picture.BitsPerPixel() == 32) {
    fitChanges(4);
    applied = ApplyRunsUnpadded<uint32_t, 3, 2>(runs, runCount, picture, changed);
  }
  return {kFrameRecordHeaderBytes + applied * format->RunRecordBytes, applied < declared};
}
