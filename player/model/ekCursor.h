// Recorded cursor shapes: one shape record of a movie made into a platform
// cursor, and the list of a segment's shapes indexed by a cursor record's
// 16-bit shape index.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Cursors.h"
#include "Gdi.h"

class FieldReader;

struct TBitmapInfo {
  int32_t ByteCount = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  uint8_t BitsPerPixel = 0;
  std::unique_ptr<gdi::Bitmap> Bitmap;
};

class TekCursor {
 public:
  static constexpr uint8_t kLoaded = 0;
  static constexpr uint8_t kNoMaskMemory = 2;
  static constexpr uint8_t kNoBitmap = 4;

  // Reads one shape record. A record whose sizes break what a cursor can be
  // (mask bytes fewer than the mask needs, colour bytes other than the image
  // holds, sizes out of range, a mask of other than one bit) leaves the shape
  // empty and the reader at the record's end, with result 4. A record whose
  // byte counts run past the end of the file throws EMovieDamaged.
  uint8_t LoadFromStream(FieldReader& reader);
  // Releases the cursor and both bitmaps; nothing when there is no cursor.
  void Clear();
  // Draws the shape with its hot spot at x, y.
  void Draw(gdi::Bitmap& target, int x, int y) const;
  // The pixels that drawing touches: 0 × 0 for an empty shape.
  int DrawnWidth() const;
  int DrawnHeight() const;
  // Where a shape whose hot spot is at `position` begins, for any values the file holds.
  static int Origin(int32_t position, int32_t hotSpot);
  // The memory the shape keeps: the object, its bitmaps and its cursor's copies of them.
  int64_t MemoryBytes() const;

  const gdi::Cursor* Handle() const { return handle_.get(); }
  int32_t HotSpotX = 0;
  int32_t HotSpotY = 0;
  TBitmapInfo MaskInfo;
  TBitmapInfo ColorInfo;

 private:
  void ReleaseAll();
  uint8_t LoadColorImage(FieldReader& reader);

  std::unique_ptr<gdi::Cursor> handle_;
};

class TCursorList {
 public:
  static constexpr int kCapacity = 65536;

  // Index of the new slot, or -1 when all 65,536 slots are filled.
  int Add(std::unique_ptr<TekCursor> shape);
  // The shape in the slot, or null for an empty one (index at or past Count).
  TekCursor* Get(int index) const;
  void Clear();
  int32_t Count() const { return static_cast<int32_t>(shapes_.size()); }

 private:
  // Slots 0 to Count - 1 are the filled ones; every other slot is empty, so
  // only those are stored.
  std::vector<std::unique_ptr<TekCursor>> shapes_;
};
