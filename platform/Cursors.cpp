#include "Cursors.h"

namespace gdi {
namespace {

std::unique_ptr<Bitmap> Copy(const Bitmap& source) {
  auto copy = std::make_unique<Bitmap>(source.GetKind(), source.Width(), source.Height(), source.BitsPerPixel());
  BitBlt(*copy, 0, 0, source.Width(), source.Height(), source, 0, 0, Rop::SrcCopy);
  copy->SetColors(0, 256, source.ColorTable().data());
  return copy;
}

}  // namespace

Cursor::Cursor(int hotX, int hotY, std::unique_ptr<Bitmap> mask, std::unique_ptr<Bitmap> color)
    : hotX_(hotX), hotY_(hotY), mask_(std::move(mask)), color_(std::move(color)) {}

std::unique_ptr<Cursor> CreateIconIndirect(const IconInfo& info) {
  if (!info.hbmMask || info.hbmMask->BitsPerPixel() != 1) return nullptr;
  if (!info.hbmColor && info.hbmMask->Height() < 2) return nullptr;
  return std::make_unique<Cursor>(info.xHotspot, info.yHotspot, Copy(*info.hbmMask),
                                  info.hbmColor ? Copy(*info.hbmColor) : nullptr);
}

bool DrawIcon(Bitmap& dst, int x, int y, const Cursor& cursor) {
  const int w = cursor.Width(), h = cursor.Height();
  BitBlt(dst, x, y, w, h, cursor.Mask(), 0, 0, Rop::SrcAnd);
  if (cursor.Color())
    BitBlt(dst, x, y, w, h, *cursor.Color(), 0, 0, Rop::SrcInvert);
  else
    BitBlt(dst, x, y, w, h, cursor.Mask(), 0, h, Rop::SrcInvert);
  return true;
}

}  // namespace gdi
