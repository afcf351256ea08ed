// Saving where playing stands and going back there.
#include "MoviePlayback.h"
#include "PictureSnapshot.h"

TPlayPosition TMoviePlayback::Position() const {
  TPlayPosition position;
  position.Frame = FrameIndex;
  position.RecordOffset = static_cast<uint32_t>(CurFrame - FrameBuffer.get());
  position.CursorPosition = CursorStream->Position();
  const SegInfo* segment = ActiveSegment();
  position.PalettePosition = segment && segment->PaletteStream ? segment->PaletteStream->Position() : 0;
  position.Carried = {ColorTable, CursorRecord};
  return position;
}

void TMoviePlayback::MoveToRecord(int32_t frame, uint32_t recordOffset) {
  FrameIndex = frame;
  CurFrame = FrameBuffer.get() + recordOffset;
}

void TMoviePlayback::RestorePosition(const TPlayPosition& position) {
  MoveToRecord(position.Frame, position.RecordOffset);
  CursorStream->SetPosition(position.CursorPosition);
  if (SegInfo* segment = ActiveSegment(); segment && segment->PaletteStream)
    segment->PaletteStream->SetPosition(position.PalettePosition);
  ColorTable = position.Carried.ColorTable;
  CursorRecord = position.Carried.Cursor;
  if (PictureDepth == 8) {
    for (gdi::Bitmap* bitmap : {PictureDIB8.get(), hbmCursor.get()})
      if (bitmap) gdi::SetDIBColorTable(*bitmap, 0, 256, ColorTable.data());
  }
}

std::vector<uint8_t> TMoviePlayback::SavePicture() const {
  const gdi::Bitmap* picture = ShownPicture();
  return picture ? EncodePicture(*picture) : std::vector<uint8_t>{};
}

bool TMoviePlayback::RestorePicture(const std::vector<uint8_t>& saved) {
  gdi::Bitmap* picture = ShownPicture();
  if (!picture || !DecodePicture(saved, *picture)) return false;
  // The area under the last cursor belongs to the picture that was there.
  CursorSaved = false;
  return true;
}
