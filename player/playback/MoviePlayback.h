// The playback engine beneath the main window, with no window in it: the
// loaded movie, the frame buffer, the active segment's display settings and
// pictures, the frame step and the cursor overlay. The main window derives
// from it and adds what a window does; the converter uses it alone.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "FrameDecoder.h"
#include "Gdi.h"
#include "PlayPosition.h"
#include "Result.h"
#include "SeekIndex.h"
#include "SegInfo.h"
#include "StreamRecords.h"
#include "Streams.h"
#include "ekCursor.h"

class TMoviePlayback {
 public:
  static constexpr int64_t FrameBufferSize = SegInfo::kLongestPlayableFrames;

  TMoviePlayback();
  virtual ~TMoviePlayback();
  TMoviePlayback(const TMoviePlayback&) = delete;
  TMoviePlayback& operator=(const TMoviePlayback&) = delete;

  TResult AllocFrameBuffer(int64_t size);
  TResult FreeFrameBuffer();
  // Releases every segment; the cursor stream and shape return to the empty ones.
  TResult FreeSegments();

  // Activates the segment at CurSegment: display settings, pictures, frames.
  TResult SetCurSegment();
  // Activates `segment` as playing on from the segments before it would enter
  // it, with `entry` carried in.
  TResult ActivateSegment(int32_t segment, const TCarriedState& entry);
  // False when the active segment's depth can't be shown.
  bool GetDisplaySettings();
  void ClearPictures();
  TResult LoadSegmentFrames();
  TResult ResetFrames();

  // The frame step without what a window adds: palette record, restore of
  // the area under the last cursor, the difference, the cursor. 0, or 12
  // without a current frame, or 15 without pictures.
  TResult ComposePicture();
  TResult NextFrame();
  void DrawCursor();
  // Hands over the bytes of the shown picture changed since the last call,
  // to whoever shows it, and counts afresh from here.
  void TakeChanges(TChangedArea& into);

  int32_t PlayedFrames() const;
  int64_t TotalFrames() const;
  // The frames of the segments before `segment`: its first frame counted over the whole movie.
  int64_t FramesBefore(int32_t segment) const;
  // The segment and the frame in it of frame `frame` counted over the whole
  // movie; false when the movie has no such frame.
  bool LocateFrame(int64_t frame, int32_t& segment, int32_t& frameInSegment) const;
  // Puts the composed picture of that frame in place, cursor included, as
  // playing from the segment's start would leave it: FrameIndex is the frame,
  // and NextFrame goes on from it. Activates the segment when another is active.
  TResult SeekFrame(int32_t segment, int32_t frame);
  SegInfo* ActiveSegment() const;

  // Where playing stands in the active segment, and going back there; the
  // picture is saved and restored on its own, kept small. Pictures are saved
  // between a frame's difference and its cursor, as the seek index does, so
  // that a restored one holds no cursor to be taken away.
  TPlayPosition Position() const;
  void RestorePosition(const TPlayPosition& position);
  // Puts the frame step at `frame`, whose record starts at `recordOffset`,
  // leaving the streams beside it and the colours as they stand.
  void MoveToRecord(int32_t frame, uint32_t recordOffset);
  std::vector<uint8_t> SavePicture() const;
  // False, with the picture left in part, when `saved` is not a picture of this one's size and format.
  bool RestorePicture(const std::vector<uint8_t>& saved);
  // The composed picture of the active segment: PictureBitmap or PictureDIB8.
  gdi::Bitmap* ShownPicture() const;

  std::vector<std::unique_ptr<SegInfo>> SegmentList;
  int32_t CurSegment = 0;
  std::unique_ptr<uint8_t[]> FrameBuffer;
  const uint8_t* CurFrame = nullptr;
  int32_t FrameIndex = 0;
  platform::TStream* CursorStream = nullptr;
  TekCursor* CurrentShape = nullptr;
  // False composes the pictures without the recorded cursor (the converter's
  // choice); its records are still read, so that the cursor stream keeps
  // pace with the frames.
  bool DrawsCursor = true;
  TColorTable ColorTable{};
  int32_t CursorWidth = 32;
  int32_t CursorHeight = 32;

  int32_t PictureWidth = 0;
  int32_t PictureHeight = 0;
  int32_t PictureDepth = 0;
  int32_t ScreenDepth = 0;
  int32_t PixelBytes = 0;
  int32_t RunColorBytes = 0;
  int32_t RunCountBytes = 0;
  int32_t RunRecordBytes = 0;
  int32_t RowBytes = 0;
  bool PaletteChanged = false;
  bool StretchPicture = false;
  int32_t ScaledWidth = 0;
  int32_t ScaledHeight = 0;

  std::unique_ptr<gdi::Bitmap> PictureBitmap;
  std::unique_ptr<gdi::Bitmap> PictureDIB8;
  std::unique_ptr<gdi::Bitmap> hbmCursor;
  TCursorRecord CursorRecord;
  int32_t CursorSaveX = 0;
  int32_t CursorSaveY = 0;
  // The saved area: the system cursor's size, or a larger shape's.
  int32_t CursorSaveWidth = 0;
  int32_t CursorSaveHeight = 0;
  // The last step drew a cursor whose area hbmCursor holds.
  bool CursorSaved = false;
  // The picture memory changed since whoever shows it last called Reset.
  TChangedArea Changed;
  // What the last composed frame's record gave; a cut record shows what it holds.
  TFrameApplied LastRecord{0, false};
  // How many times activations made the pictures anew.
  int PicturesCreated = 0;
  // Snapshots of composed pictures, for going to any frame at once.
  TSeekIndex SeekIndex{*this};

 protected:
  // What a window adds to an activation: the timer, the layout, the names.
  virtual void SegmentActivated(const SegInfo&) {}
  // The active segment's depth is none of 8, 24 and 32.
  virtual void UnsupportedDepth() {}

 private:
  void CreatePictures();
  // hbmCursor holds width × height, made larger when it must; false when it can't be.
  bool CursorSaveFits(int width, int height);
  // Nothing changed yet in the picture shown now.
  void ForgetChanges();

  int64_t frameBufferBytes_ = 0;
  int64_t frameStreamBytes_ = 0;
  std::unique_ptr<platform::TMemoryStream> emptyCursorStream_;
  std::unique_ptr<TekCursor> blankShape_;
};
