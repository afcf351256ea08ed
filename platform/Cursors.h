// Cursors made from a mask and an optional colour bitmap, drawn like DrawIcon.
#pragma once

#include <memory>

#include "Gdi.h"

namespace gdi {

struct IconInfo {
  bool fIcon = false;
  int xHotspot = 0;
  int yHotspot = 0;
  const Bitmap* hbmMask = nullptr;
  const Bitmap* hbmColor = nullptr;
};

class Cursor {
 public:
  Cursor(int hotX, int hotY, std::unique_ptr<Bitmap> mask, std::unique_ptr<Bitmap> color);

  int HotSpotX() const { return hotX_; }
  int HotSpotY() const { return hotY_; }
  int Width() const { return mask_->Width(); }
  // A cursor without colour has its AND mask above its XOR mask.
  int Height() const { return color_ ? color_->Height() : mask_->Height() / 2; }
  const Bitmap& Mask() const { return *mask_; }
  const Bitmap* Color() const { return color_.get(); }

 private:
  int hotX_, hotY_;
  std::unique_ptr<Bitmap> mask_;
  std::unique_ptr<Bitmap> color_;
};

// The cursor keeps copies of the bitmaps. Null without a mask, or for a
// monochrome mask less than two rows high.
std::unique_ptr<Cursor> CreateIconIndirect(const IconInfo& info);

// The AND mask, then the XOR image, with the cursor's top-left corner at x, y.
bool DrawIcon(Bitmap& dst, int x, int y, const Cursor& cursor);

}  // namespace gdi
