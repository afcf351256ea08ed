// The recorded cursor, drawn over every composed picture and taken off again
// before the next difference, so that it never enters the XOR chain.
#include "Exception.h"
#include "MoviePlayback.h"

void TMoviePlayback::DrawCursor() {
  if (SegmentList.empty()) return;
  if (!CursorStream) throw platform::Exception("CursorStream is nil");
  uint8_t b[6];
  // Past the end of the stream the last recorded cursor stays where it was.
  if (CursorStream->Read(b, 6) == 6)
    CursorRecord = {static_cast<uint16_t>(b[0] | b[1] << 8), static_cast<uint16_t>(b[2] | b[3] << 8),
                    static_cast<uint16_t>(b[4] | b[5] << 8)};
  const SegInfo* segment = ActiveSegment();
  gdi::Bitmap* picture = ShownPicture();
  CurrentShape = segment ? segment->CursorList->Get(CursorRecord.ShapeIndex) : nullptr;
  // Nothing drawn now means nothing to restore at the next step.
  CursorSaved = false;
  if (!CurrentShape || !picture || !hbmCursor) return;
  const int left = CursorRecord.X - CurrentShape->HotSpotX;
  const int top = CursorRecord.Y - CurrentShape->HotSpotY;
  gdi::BitBlt(*hbmCursor, 0, 0, CursorWidth, CursorHeight, *picture, left, top, gdi::Rop::SrcCopy);
  CurrentShape->Draw(*picture, CursorRecord.X, CursorRecord.Y);
  CursorSaveX = left;
  CursorSaveY = top;
  CursorSaved = true;
}
