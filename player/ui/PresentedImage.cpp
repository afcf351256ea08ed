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

void LookUpColours(const gdi::Bitmap& picture, size_t row, size_t begin, size_t end,
                   const std::array<QRgb, 256>& colours, uint8_t* imageBits, size_t imageLine) {
  const size_t width = static_cast<size_t>(picture.Width());
  if (row >= static_cast<size_t>(picture.Height()) || begin >= width) return;
  end = std::min(end, width);
  const uint8_t* from = picture.Bits() + row * static_cast<size_t>(picture.Stride());
  QRgb* to = reinterpret_cast<QRgb*>(imageBits + row * imageLine);
  for (size_t i = begin; i < end; ++i) to[i] = colours[from[i]];
}
