// The recorded cursor, drawn over every composed picture and taken off again
// before the next difference, so that it never enters the XOR chain.
#include <algorithm>

#include "Exception.h"
#include "MoviePlayback.h"

void TMoviePlayback::DrawCursor() {
  if (SegmentList.empty()) return;
  if (!CursorStream) throw platform::Exception("CursorStream is nil");
  // Past the end of the stream the last recorded cursor stays where it was.
  ReadCursorRecord(*CursorStream, CursorRecord);
  const SegInfo* segment = ActiveSegment();
  gdi::Bitmap* picture = ShownPicture();
  CurrentShape = segment && DrawsCursor ? segment->CursorList->Get(CursorRecord.ShapeIndex) : nullptr;
  // Nothing drawn now means nothing to restore at the next step.
  CursorSaved = false;
  if (!CurrentShape || !picture || !hbmCursor) return;
  const int left = TekCursor::Origin(CursorRecord.X, CurrentShape->HotSpotX);
  const int top = TekCursor::Origin(CursorRecord.Y, CurrentShape->HotSpotY);
  // The whole area the shape covers is saved: a large shape must leave no trail.
  const int width = std::max(CursorWidth, CurrentShape->DrawnWidth());
  const int height = std::max(CursorHeight, CurrentShape->DrawnHeight());
  if (!CursorSaveFits(width, height)) return;
  gdi::BitBlt(*hbmCursor, 0, 0, width, height, *picture, left, top, gdi::Rop::SrcCopy);
  CurrentShape->Draw(*picture, CursorRecord.X, CursorRecord.Y);
  CursorSaveX = left;
  CursorSaveY = top;
  CursorSaveWidth = width;
  CursorSaveHeight = height;
  CursorSaved = true;
}

bool TMoviePlayback::CursorSaveFits(int width, int height) {
  if (hbmCursor->Width() >= width && hbmCursor->Height() >= height) return true;
  std::unique_ptr<gdi::Bitmap> larger = PictureDepth >= 24
                                            ? gdi::CreateCompatibleBitmap(width, height)
                                            : gdi::CreateDIBSection(width, height, 8, ColorTable.data(), 256);
  if (!larger) return false;
  hbmCursor = std::move(larger);
  return true;
}
