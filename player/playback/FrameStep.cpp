// The frame step: palette record, restore of the cursor area, the
// difference, the cursor; and the walk along the chain of frame records.
#include <algorithm>

#include "FrameRecords.h"
#include "MoviePlayback.h"

namespace {

void MarkRect(TChangedArea& changed, const gdi::Bitmap& picture, int x, int y, int w, int h) {
  const int left = std::max(x, 0), right = std::min(x + w, picture.Width());
  const size_t pixelBytes = static_cast<size_t>(picture.BitsPerPixel() / 8);
  if (left >= right) return;
  for (int row = std::max(y, 0); row < std::min(y + h, picture.Height()); ++row) {
    const size_t at = static_cast<size_t>(row) * picture.Stride();
    changed.Mark(at + left * pixelBytes, at + right * pixelBytes);
  }
}

}  // namespace

TResult TMoviePlayback::ComposePicture() {
  SegInfo* segment = ActiveSegment();
  if (!segment) return result::AllRight;
  if (!CurFrame) return result::FrameIsNil;
  gdi::Bitmap* picture = ShownPicture();
  if (!picture || !hbmCursor) return result::NoText;
  if (PictureDepth == 8) {
    if (segment->PaletteStream) ReadPaletteRecord(*segment->PaletteStream, ColorTable);
    gdi::SetDIBColorTable(*picture, 0, 256, ColorTable.data());
    gdi::SetDIBColorTable(*hbmCursor, 0, 256, ColorTable.data());
  }
  if (CursorSaved) {
    gdi::BitBlt(*picture, CursorSaveX, CursorSaveY, CursorSaveWidth, CursorSaveHeight, *hbmCursor, 0, 0,
                gdi::Rop::SrcCopy);
    MarkRect(Changed, *picture, CursorSaveX, CursorSaveY, CursorSaveWidth, CursorSaveHeight);
  }
  const int64_t offset = CurFrame - FrameBuffer.get();
  LastRecord =
      ApplyFrameRecord(CurFrame, std::max<int64_t>(0, frameStreamBytes_ - offset), PictureDepth, *picture, Changed);
  // The picture without a cursor is the one the next difference applies to.
  SeekIndex.FrameComposed(CurSegment, FrameIndex, static_cast<uint32_t>(offset));
  DrawCursor();
  if (CursorSaved) MarkRect(Changed, *picture, CursorSaveX, CursorSaveY, CursorSaveWidth, CursorSaveHeight);
  return result::AllRight;
}

TResult TMoviePlayback::NextFrame() {
  if (!CurFrame) return result::FrameIsNil;
  if (!FrameBuffer) return result::SegmentIsNil;
  if (SegmentList.empty()) return result::OutOfIndexBound;
  ++FrameIndex;
  const SegInfo* segment = ActiveSegment();
  if (!segment || segment->FrameCount < FrameIndex + 1) return result::OutOfIndexBound;
  CurFrame = FrameBuffer.get() + NextRecordOffset(FrameBuffer.get(), CurFrame - FrameBuffer.get(), frameStreamBytes_);
  return result::AllRight;
}
