#include "ekCursor.h"

#include <algorithm>
#include <new>

#include "FieldReader.h"
#include "LittleEndian.h"
#include "Screen.h"

namespace {

// Cursors are at most a few hundred pixels wide; anything larger is a damaged size.
constexpr int32_t kMaxShapeSide = 1024;

bool SideInRange(int32_t side) { return side > 0 && side <= kMaxShapeSide; }

void ReadDescriptor(FieldReader& reader, TBitmapInfo& info, const char* field) {
  uint8_t b[13];
  reader.Bytes(b, sizeof b, field);
  info.ByteCount = platform::Int32LE(b);
  info.Width = platform::Int32LE(b + 4);
  info.Height = platform::Int32LE(b + 8);
  info.BitsPerPixel = b[12];
}

constexpr const char* kMaskBits = "mask bits";
constexpr const char* kColorBits = "colour bits";

}  // namespace

void TekCursor::ReleaseAll() {
  handle_.reset();
  MaskInfo = {};
  ColorInfo = {};
}

void TekCursor::Clear() {
  if (handle_) ReleaseAll();
}

uint8_t TekCursor::LoadFromStream(FieldReader& reader) {
  ReleaseAll();
  HotSpotX = reader.Int32("hot spot");
  HotSpotY = reader.Int32("hot spot");
  ReadDescriptor(reader, MaskInfo, "mask descriptor");
  reader.RequireLength(MaskInfo.ByteCount, kMaskBits);

  const bool maskFits = SideInRange(MaskInfo.Width) && SideInRange(MaskInfo.Height) && MaskInfo.BitsPerPixel == 1 &&
                        MaskInfo.ByteCount >= int64_t{gdi::RowStride(MaskInfo.Width, 1, 2)} * MaskInfo.Height;
  if (maskFits) {
    std::vector<uint8_t> bits;
    try {
      bits.resize(static_cast<size_t>(MaskInfo.ByteCount));
    } catch (const std::bad_alloc&) { return kNoMaskMemory; }
    reader.Bytes(bits.data(), MaskInfo.ByteCount, kMaskBits);
    MaskInfo.Bitmap = gdi::CreateBitmap(MaskInfo.Width, MaskInfo.Height, 1, 1, bits.data());
  } else {
    reader.Skip(MaskInfo.ByteCount, kMaskBits);
  }

  ReadDescriptor(reader, ColorInfo, "colour descriptor");
  reader.RequireLength(ColorInfo.ByteCount, kColorBits);
  if (!MaskInfo.Bitmap) {
    reader.Skip(ColorInfo.ByteCount, kColorBits);
    ReleaseAll();
    return kNoBitmap;
  }
  // Only the byte count tells a monochrome shape: its other fields may hold anything.
  if (ColorInfo.ByteCount == 0) {
    handle_ = gdi::CreateIconIndirect({false, HotSpotX, HotSpotY, MaskInfo.Bitmap.get(), nullptr});
    return kLoaded;
  }
  const uint8_t result = LoadColorImage(reader);
  if (result != kLoaded) ReleaseAll();
  return result;
}

uint8_t TekCursor::LoadColorImage(FieldReader& reader) {
  // The image has no colour table, so only images of 16 bits and more have
  // colours. Its bytes must fill it: a few bytes can't stand for a large image.
  const bool colorFits =
      SideInRange(ColorInfo.Width) && SideInRange(ColorInfo.Height) &&
      (ColorInfo.BitsPerPixel == 16 || ColorInfo.BitsPerPixel == 24 || ColorInfo.BitsPerPixel == 32) &&
      ColorInfo.ByteCount == int64_t{gdi::RowStride(ColorInfo.Width, ColorInfo.BitsPerPixel, 4)} * ColorInfo.Height;
  auto section = colorFits ? gdi::CreateDIBSection(ColorInfo.Width, ColorInfo.Height, ColorInfo.BitsPerPixel) : nullptr;
  ColorInfo.Bitmap =
      section ? gdi::CreateBitmap(ColorInfo.Width, ColorInfo.Height, 1, platform::Screen().bitsPerPixel, nullptr)
              : nullptr;
  if (!ColorInfo.Bitmap) {
    reader.Skip(ColorInfo.ByteCount, kColorBits);
    return kNoBitmap;
  }
  reader.Bytes(section->Bits(), ColorInfo.ByteCount, kColorBits);
  gdi::BitBlt(*ColorInfo.Bitmap, 0, 0, ColorInfo.Width, ColorInfo.Height, *section, 0, 0, gdi::Rop::SrcCopy);
  handle_ = gdi::CreateIconIndirect({false, HotSpotX, HotSpotY, MaskInfo.Bitmap.get(), ColorInfo.Bitmap.get()});
  return kLoaded;
}

int TekCursor::Origin(int32_t position, int32_t hotSpot) {
  // Far enough outside any picture to draw nothing, near enough that sizes added to it can't overflow.
  constexpr int64_t kFar = int64_t{1} << 30;
  return static_cast<int>(std::clamp<int64_t>(int64_t{position} - hotSpot, -kFar, kFar));
}

int64_t TekCursor::MemoryBytes() const {
  int64_t bytes = sizeof(TekCursor);
  for (const TBitmapInfo* info : {&MaskInfo, &ColorInfo})
    if (info->Bitmap) bytes += static_cast<int64_t>(info->Bitmap->ByteSize());
  if (handle_) {
    bytes += static_cast<int64_t>(handle_->Mask().ByteSize());
    if (handle_->Color()) bytes += static_cast<int64_t>(handle_->Color()->ByteSize());
  }
  return bytes;
}

int TekCursor::DrawnWidth() const {
  if (!handle_) return 0;
  return ColorInfo.ByteCount == 0 ? MaskInfo.Width : std::max(MaskInfo.Width, ColorInfo.Width);
}

int TekCursor::DrawnHeight() const {
  if (!handle_) return 0;
  return ColorInfo.ByteCount == 0 ? MaskInfo.Height / 2 : std::max(MaskInfo.Height, ColorInfo.Height);
}

void TekCursor::Draw(gdi::Bitmap& target, int x, int y) const {
  const int left = Origin(x, HotSpotX), top = Origin(y, HotSpotY);
  if (ColorInfo.ByteCount == 0) {
    if (handle_) gdi::DrawIcon(target, left, top, *handle_);
    return;
  }
  if (!MaskInfo.Bitmap || !ColorInfo.Bitmap) return;
  gdi::BitBlt(target, left, top, MaskInfo.Width, MaskInfo.Height, *MaskInfo.Bitmap, 0, 0, gdi::Rop::SrcAnd);
  gdi::BitBlt(target, left, top, ColorInfo.Width, ColorInfo.Height, *ColorInfo.Bitmap, 0, 0, gdi::Rop::SrcInvert);
}

int TCursorList::Add(std::unique_ptr<TekCursor> shape) {
  if (shapes_.size() >= kCapacity) return -1;
  shapes_.push_back(std::move(shape));
  return static_cast<int>(shapes_.size()) - 1;
}

TekCursor* TCursorList::Get(int index) const {
  return index >= 0 && static_cast<size_t>(index) < shapes_.size() ? shapes_[index].get() : nullptr;
}

void TCursorList::Clear() { shapes_.clear(); }
