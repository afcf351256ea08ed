#include "MoviePlayback.h"

#include <new>
#include <utility>

TMoviePlayback::TMoviePlayback()
    : emptyCursorStream_(std::make_unique<platform::TMemoryStream>()), blankShape_(std::make_unique<TekCursor>()) {
  CursorStream = emptyCursorStream_.get();
  CurrentShape = blankShape_.get();
}

TMoviePlayback::~TMoviePlayback() = default;

TResult TMoviePlayback::AllocFrameBuffer(int64_t size) {
  FreeFrameBuffer();
  if (size <= 0 || static_cast<uint64_t>(size) > SIZE_MAX / 2) return result::SegmentIsNil;
  // Left uninitialised: the pages are touched only as far as a segment's frames reach.
  FrameBuffer.reset(new (std::nothrow) uint8_t[static_cast<size_t>(size)]);
  if (!FrameBuffer) return result::SegmentIsNil;
  frameBufferBytes_ = size;
  return result::AllRight;
}

TResult TMoviePlayback::FreeFrameBuffer() {
  FrameBuffer.reset();
  CurFrame = nullptr;
  frameBufferBytes_ = 0;
  frameStreamBytes_ = 0;
  return result::AllRight;
}

void TMoviePlayback::TakeChanges(TChangedArea& into) {
  std::swap(into, Changed);
  ForgetChanges();
}

void TMoviePlayback::ForgetChanges() {
  const gdi::Bitmap* picture = ShownPicture();
  Changed.Reset(picture ? picture->ByteSize() : 0, picture ? picture->BitsPerPixel() / 8 : 4);
}

TResult TMoviePlayback::FreeSegments() {
  SegmentList.clear();
  SeekIndex.Clear();
  CursorStream = emptyCursorStream_.get();
  CurrentShape = blankShape_.get();
  return result::AllRight;
}

SegInfo* TMoviePlayback::ActiveSegment() const {
  if (CurSegment < 0 || static_cast<size_t>(CurSegment) >= SegmentList.size()) return nullptr;
  return SegmentList[static_cast<size_t>(CurSegment)].get();
}

gdi::Bitmap* TMoviePlayback::ShownPicture() const {
  return PictureDepth == 8 ? PictureDIB8.get() : PictureBitmap.get();
}

int32_t TMoviePlayback::PlayedFrames() const {
  if (SegmentList.empty() || CurSegment < 0) return 0;
  return static_cast<int32_t>(FrameIndex + FramesBefore(CurSegment));
}

int64_t TMoviePlayback::FramesBefore(int32_t segment) const {
  int64_t frames = 0;
  for (size_t i = 0; i < SegmentList.size() && static_cast<int64_t>(i) < segment; ++i)
    frames += SegmentList[i]->FrameCount;
  return frames;
}

int64_t TMoviePlayback::TotalFrames() const {
  int64_t total = 0;
  for (const auto& segment : SegmentList) total += segment->FrameCount;
  return total;
}

bool TMoviePlayback::LocateFrame(int64_t frame, int32_t& segment, int32_t& frameInSegment) const {
  if (frame < 0) return false;
  for (size_t i = 0; i < SegmentList.size(); ++i) {
    const int32_t count = SegmentList[i]->FrameCount;
    if (frame < count) {
      segment = static_cast<int32_t>(i);
      frameInSegment = static_cast<int32_t>(frame);
      return true;
    }
    frame -= count;
  }
  return false;
}

TResult TMoviePlayback::SeekFrame(int32_t segment, int32_t frame) {
  const TResult sought = SeekIndex.Seek(segment, frame);
  if (sought == result::AllRight) Changed.MarkAll();
  return sought;
}
