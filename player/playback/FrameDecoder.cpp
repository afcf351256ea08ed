#include "FrameDecoder.h"

#include <algorithm>
#include <cstring>

#include "LittleEndian.h"
#include "PixelFormat.h"

namespace {

// One loop for every depth: Pixel is the picture's pixel type, the run
// record has ColorBytes of colour and CountBytes of repeat count.
template <typename Pixel, int ColorBytes, int CountBytes>
void ApplyRuns(const uint8_t* runs, int64_t runCount, gdi::Bitmap& picture, TChangedArea& changed) {
  constexpr int kRecordBytes = ColorBytes + CountBytes;
  const int width = picture.Width();
  const int height = picture.Height();
  const int64_t stride = picture.Stride();
  uint8_t* const bits = picture.Bits();
  int64_t markBegin = 0, markEnd = 0;
  int row = 0, column = 0;
  for (int64_t i = 0; i < runCount && row < height; ++i, runs += kRecordBytes) {
    uint32_t colour = runs[0];
    if constexpr (ColorBytes == 3) colour |= (uint32_t{runs[1]} << 8) | (uint32_t{runs[2]} << 16);
    uint32_t count = runs[ColorBytes];
    if constexpr (CountBytes == 2) count |= uint32_t{runs[ColorBytes + 1]} << 8;
    if (colour == 0) {
      const int64_t position = column + int64_t{count};
      row += static_cast<int>(position / width);
      column = static_cast<int>(position % width);
      continue;
    }
    const Pixel value = static_cast<Pixel>(colour);
    while (count > 0 && row < height) {
      const int n = static_cast<int>(std::min<int64_t>(count, width - column));
      Pixel* p = reinterpret_cast<Pixel*>(bits + row * stride) + column;
      for (int k = 0; k < n; ++k) p[k] ^= value;
      const size_t at = static_cast<size_t>(row * stride) + static_cast<size_t>(column) * sizeof(Pixel);
      JoinChangedRange(changed, markBegin, markEnd, static_cast<int64_t>(at),
                       static_cast<int64_t>(at + static_cast<size_t>(n) * sizeof(Pixel)));
      count -= static_cast<uint32_t>(n);
      column += n;
      if (column == width) {
        column = 0;
        ++row;
      }
    }
  }
  if (markEnd != 0) changed.Mark(static_cast<size_t>(markBegin), static_cast<size_t>(markEnd));
}

// Rows without padding lie end to end, so the runs go straight through the
// memory: no row bookkeeping, only the end of the picture to respect.
template <typename Pixel, int ColorBytes, int CountBytes>
void ApplyRunsUnpadded(const uint8_t* runs, int64_t runCount, gdi::Bitmap& picture, TChangedArea& changed) {
  constexpr int kRecordBytes = ColorBytes + CountBytes;
  const int64_t total = int64_t{picture.Width()} * picture.Height();
  Pixel* const pixels = reinterpret_cast<Pixel*>(picture.Bits());
  int64_t markBegin = 0, markEnd = 0;
  int64_t position = 0;
  for (int64_t i = 0; i < runCount && position < total; ++i, runs += kRecordBytes) {
    uint32_t colour = runs[0];
    if constexpr (ColorBytes == 3) colour |= (uint32_t{runs[1]} << 8) | (uint32_t{runs[2]} << 16);
    uint32_t count = runs[ColorBytes];
    if constexpr (CountBytes == 2) count |= uint32_t{runs[ColorBytes + 1]} << 8;
    const int64_t end = std::min<int64_t>(position + count, total);
    if (colour != 0 && end > position) {
      const Pixel value = static_cast<Pixel>(colour);
      for (int64_t k = position; k < end; ++k) pixels[k] ^= value;
      JoinChangedRange(changed, markBegin, markEnd, position * int64_t{sizeof(Pixel)}, end * int64_t{sizeof(Pixel)});
    }
    position = end;
  }
  if (markEnd != 0) changed.Mark(static_cast<size_t>(markBegin), static_cast<size_t>(markEnd));
}

}  // namespace

void ApplyFrameRecord(const uint8_t* record, int64_t available, int depth, gdi::Bitmap& picture,
                      TChangedArea& changed) {
  const auto format = PixelFormatFor(depth);
  if (!format || available < 8) return;
  const int32_t declared = platform::Int32LE(record + 4);
  const int64_t runCount = std::min<int64_t>(std::max(declared, 0), (available - 8) / format->RunRecordBytes);
  const bool unpadded = picture.Stride() == picture.Width() * picture.BitsPerPixel() / 8;
  if (depth == 8) {
    if (picture.BitsPerPixel() != 8) return;
    if (unpadded) {
      ApplyRunsUnpadded<uint8_t, 1, 1>(record + 8, runCount, picture, changed);
    } else {
      ApplyRuns<uint8_t, 1, 1>(record + 8, runCount, picture, changed);
    }
    return;
  }
  if (picture.BitsPerPixel() == 32) ApplyRunsUnpadded<uint32_t, 3, 2>(record + 8, runCount, picture, changed);
}
