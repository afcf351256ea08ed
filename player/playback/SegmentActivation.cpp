// Making a segment active: its pixel format, its pictures, its frames.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "Exception.h"
#include "MoviePlayback.h"
#include "PixelFormat.h"
#include "Screen.h"

TResult TMoviePlayback::SetCurSegment() {
  if (!FrameBuffer) return result::SegmentIsNil;
  if (CurSegment >= static_cast<int32_t>(SegmentList.size())) CurSegment = 0;
  if (SegmentList.empty()) return result::NoSegments;
  if (!CursorStream) return result::CursorStreamIsNil;
  GetDisplaySettings();
  ResetFrames();
  ClearPictures();
  SegInfo* segment = ActiveSegment();
  if (!segment) return result::AllRight;
  if (!segment->CursStream) throw platform::Exception("SetCurSegment: CursorStream = nil");
  CursorStream = segment->CursStream.get();
  CursorStream->SetPosition(0);
  if (segment->BitsPerPixel == 8 && segment->PaletteStream) segment->PaletteStream->SetPosition(0);
  PaletteChanged = true;
  SeekIndex.SegmentEntered(CurSegment, {ColorTable, CursorRecord});
  SegmentActivated(*segment);
  return LoadSegmentFrames();
}

TResult TMoviePlayback::ActivateSegment(int32_t segment, const TCarriedState& entry) {
  ColorTable = entry.ColorTable;
  CursorRecord = entry.Cursor;
  CurSegment = segment;
  return SetCurSegment();
}

bool TMoviePlayback::GetDisplaySettings() {
  StretchPicture = false;
  const platform::ScreenMetrics& screen = platform::Screen();
  const SegInfo* segment = ActiveSegment();
  if (!segment) return true;
  bool changed = false;
  if (segment->BitsPerPixel != PictureDepth) {
    PictureDepth = segment->BitsPerPixel;
    changed = true;
  }
  const auto format = PixelFormatFor(PictureDepth);
  if (!format) {
    // Nothing of such a segment is drawn.
    PictureBitmap.reset();
    PictureDIB8.reset();
    hbmCursor.reset();
    UnsupportedDepth();
    return false;
  }
  PixelBytes = format->PixelBytes;
  RunColorBytes = format->RunColorBytes;
  RunCountBytes = format->RunCountBytes;
  RunRecordBytes = format->RunRecordBytes;
  if (segment->Width != PictureWidth || segment->Height != PictureHeight) {
    PictureWidth = segment->Width;
    PictureHeight = segment->Height;
    changed = true;
    if (PictureWidth > 0 && PictureHeight > 0 && (screen.width < PictureWidth || screen.height < PictureHeight)) {
      StretchPicture = true;
      const double scale = std::min(static_cast<double>(screen.width) / PictureWidth,
                                    static_cast<double>(screen.height) / PictureHeight);
      ScaledWidth = static_cast<int32_t>(std::nearbyint(PictureWidth * scale));
      ScaledHeight = static_cast<int32_t>(std::nearbyint(PictureHeight * scale));
    }
  }
  // Sizes beyond any picture make no bitmap; their row size must not overflow on the way.
  RowBytes = static_cast<int32_t>(std::clamp<int64_t>(int64_t{PictureWidth} * PixelBytes, INT32_MIN, INT32_MAX));
  if (changed || PictureDepth != ScreenDepth) {
    ScreenDepth = screen.bitsPerPixel;
    PictureBitmap.reset();
    PictureDIB8.reset();
    hbmCursor.reset();
    CreatePictures();
  }
  return true;
}

void TMoviePlayback::CreatePictures() {
  ++PicturesCreated;
  if (PictureDepth >= 24) {
    PictureBitmap = gdi::CreateCompatibleBitmap(PictureWidth, PictureHeight);
    hbmCursor = gdi::CreateCompatibleBitmap(CursorWidth, CursorHeight);
    return;
  }
  PictureDIB8 = gdi::CreateDIBSection(PictureWidth, PictureHeight, 8);
  hbmCursor = gdi::CreateDIBSection(CursorWidth, CursorHeight, 8);
  if (!hbmCursor) throw platform::Exception("GetDisplaySettings: hbmCursor = 0");
}

void TMoviePlayback::ClearPictures() {
  for (gdi::Bitmap* bitmap : {PictureBitmap.get(), hbmCursor.get(), PictureDIB8.get()})
    if (bitmap) std::memset(bitmap->Bits(), 0, bitmap->ByteSize());
  CursorSaved = false;
  ForgetChanges();
  Changed.MarkAll();
}

TResult TMoviePlayback::LoadSegmentFrames() {
  if (!FrameBuffer) return result::SegmentIsNil;
  if (SegmentList.empty()) return result::OutOfIndexBound;
  const SegInfo* segment = ActiveSegment();
  if (!segment || !segment->SegStream) return result::FilmStreamIsNil;
  const int64_t size = segment->SegStream->Size();
  // A frame stream too long to be held was never read.
  if (size > FrameBufferSize || size > frameBufferBytes_ || segment->SegStreamSize > FrameBufferSize)
    throw platform::Exception("Segment is too big");
  // Reads of the frame step stop at the copied stream, so the rest of the
  // block is never looked at and needs no clearing.
  if (size > 0) std::memcpy(FrameBuffer.get(), segment->SegStream->Memory(), static_cast<size_t>(size));
  frameStreamBytes_ = size;
  return result::AllRight;
}

TResult TMoviePlayback::ResetFrames() {
  CurFrame = FrameBuffer.get();
  FrameIndex = 0;
  return result::AllRight;
}
