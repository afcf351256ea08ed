// One frame a tick: present what the previous tick composed, compose the next.
#include <QApplication>
#include <QLabel>
#include <QProgressBar>

#include <cstring>

#include "MessageBox.h"
#include "Messages.h"
#include "PictureView.h"
#include "PresentedImage.h"
#include "RowPieces.h"
#include "ekDisplay.h"
#include "ekLensaPlayerImpl1.h"

void TekLensaPlayer::TimerTimer() {
  if (PictureFrames.Holds() == TPictureFrames::ShownFrame && !AdvanceFrame()) return;
  // Stepped on from a shown frame in the same segment, or a segment entered.
  if (PictureFrames.Holds() == TPictureFrames::ShownFrame) ComposeFrame();
  if (PictureFrames.Holds() == TPictureFrames::NoFrame) ComposeFrame();
  PresentPicture();
  PictureFrames.Presented();
  ComposeFrame();
}

void TekLensaPlayer::PresentPicture() {
  const gdi::Bitmap* picture = ActiveSegment() ? ShownPicture() : nullptr;
  auto* view = static_cast<TPictureView*>(TargetCanvas);
  if (!picture || !view) return;
  TakeChanges(shown_);
  // An 8-bit picture is shown through its colour table: its changed pixels are
  // looked up as they are copied, so that drawing never converts.
  const bool indexed = picture->BitsPerPixel() == 8;
  bool everything = view->Cleared();
  if (presented_.width() != picture->Width() || presented_.height() != picture->Height() ||
      (!indexed && presented_.bytesPerLine() != picture->Stride())) {
    presented_ = indexed ? QImage(picture->Width(), picture->Height(), QImage::Format_RGB32)
                         : NewPresentedImage(*picture, QImage::Format_RGB32);
    shown_.MarkAll();
    everything = true;
  }
  if (indexed) {
    std::array<QRgb, 256> colours;
    for (int i = 0; i < 256; ++i)
      colours[i] = qRgb(ColorTable[i].rgbRed, ColorTable[i].rgbGreen, ColorTable[i].rgbBlue);
    // New colours change every pixel that uses them.
    if (colours != presentedColours_) {
      presentedColours_ = colours;
      shown_.MarkAll();
      everything = true;
    }
  }
  // Only what changed since the last present is copied and repainted; a
  // 32-bit picture and its image lay their rows out alike.
  const size_t bytes = std::min(picture->ByteSize(), static_cast<size_t>(presented_.sizeInBytes()));
  if (!shown_.Empty()) {
    ++presentCount_;
    uint8_t* const to = presented_.bits();
    const size_t line = static_cast<size_t>(presented_.bytesPerLine());
    const uint8_t* const from = picture->Bits();
    if (!everything) dirty_.Reset(picture->Width(), picture->Height(), picture->BitsPerPixel() / 8);
    TRowPieces rows(static_cast<size_t>(picture->Stride()));
    shown_.ForEachRange([&](size_t begin, size_t end) {
      if (!indexed && begin < bytes) std::memcpy(to + begin, from + begin, std::min(end, bytes) - begin);
      if (!indexed && everything) return;
      rows.Split(begin, end, [&](size_t row, size_t first, size_t last) {
        if (indexed) LookUpColours(*picture, row, first, last, presentedColours_, to, line);
        if (!everything) dirty_.MarkRow(row, first, last);
      });
    });
    if (!everything) view->UpdatePictureRegion(dirty_.Region());
  }
  if (everything) view->update();
  view->PictureShown();
}

void TekLensaPlayer::ComposeFrame() {
  const TResult composed = ComposePicture();
  if (composed != result::AllRight) {
    AStopExecute();
    ShowResult("DXTimerPlayTimer", composed);
    return;
  }
  PictureFrames.Composed(PlayedFrames(), TPictureFrames::NextFrame);
  AdvanceFrame();
}

bool TekLensaPlayer::AdvanceFrame() {
  pbrProgress->setValue(PlayedFrames() + 1);
  const TResult next = NextFrame();
  if (next == result::AllRight) return true;
  if (next == result::OutOfIndexBound) {
    if (NextSegment() == result::AllRight) return true;
    EndOfMovie();
    return false;
  }
  AStopExecute();
  ShowResult("DXTimerPlayTimer", next);
  return false;
}

TResult TekLensaPlayer::NextSegment() {
  if (!FrameBuffer) return result::SegmentIsNil;
  ++CurSegment;
  if (CurSegment >= static_cast<int32_t>(SegmentList.size())) return result::OutOfIndexBound;
  return SetCurSegment();
}

void TekLensaPlayer::EndOfMovie() {
  ShowEndSplash();
  AStopExecute();
  repaint();
  if (frmDisplay) {
    frmDisplay->repaint();
    // Closing it switches the mode off.
    frmDisplay->close();
  }
  if (OwnWindowMode) SetOwnWindowMode(false);
}

void TekLensaPlayer::SegmentActivated(const SegInfo& segment) {
  PictureFrames.Cleared();
  Timer.setInterval(FrameInterval(segment));
  LayoutPicture();
  if (PlayState == playstate::Playing) ShowSegmentCaption();
}

void TekLensaPlayer::UnsupportedDepth() {
  ending_ = true;
  EnableTimer(false);
  platform::MessageBox(lbMessages[0]);
  QCoreApplication::exit(1);
}
