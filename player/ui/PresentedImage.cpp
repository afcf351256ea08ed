#include "PresentedImage.h"

#include <algorithm>

#include "PixelMemory.h"

namespace {

struct TPixelBlock {
  uint8_t* bits;
  size_t bytes;
};

void FreePixelBlock(void* info) {
  auto* block = static_cast<TPixelBlock*>(info);
  platform::PixelAllocator<uint8_t>().deallocate(block->bits, block->bytes);
  delete block;
}

}  // namespace

QImage NewPresentedImage(const gdi::Bitmap& picture, QImage::Format format) {
  const size_t bytes = picture.ByteSize();
  auto* block = new TPixelBlock{platform::PixelAllocator<uint8_t>().allocate(bytes), bytes};
  // The image owns the block from here and frees it when its last copy goes;
  // an image that could not be made never takes it.
  QImage image(block->bits, picture.Width(), picture.Height(), picture.Stride(), format, FreePixelBlock, block);
  if (image.isNull()) FreePixelBlock(block);
  return image;
}

void LookUpColours(const gdi::Bitmap& picture, const std::array<QRgb, 256>& colours, QImage& image, size_t begin,
                   size_t end) {
  const size_t stride = static_cast<size_t>(picture.Stride()), width = static_cast<size_t>(picture.Width());
  end = std::min(end, picture.ByteSize());
  uint8_t* const bits = image.bits();
  const size_t line = static_cast<size_t>(image.bytesPerLine());
  for (size_t at = begin; at < end;) {
    const size_t row = at / stride, column = at % stride, rowEnd = std::min(end, (row + 1) * stride);
    const size_t count = column < width ? std::min(rowEnd - at, width - column) : 0;
    const uint8_t* from = picture.Bits() + at;
    QRgb* to = reinterpret_cast<QRgb*>(bits + row * line) + column;
    for (size_t i = 0; i < count; ++i) to[i] = colours[from[i]];
    at = rowEnd;
  }
}
