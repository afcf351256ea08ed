// One frame a tick: present what the previous tick composed, compose the next.
#include <QApplication>
#include <QLabel>
#include <QProgressBar>

#include <cstring>

#include "CodePage.h"
#include "Files.h"
#include "MessageBox.h"
#include "PictureView.h"
#include "PresentedImage.h"
#include "ekDisplay.h"
#include "ekLensaPlayerImpl1.h"

void TekLensaPlayer::TimerTimer() {
  if (FrameIndex == 0) ComposeFrame();
  PresentPicture();
  ComposeFrame();
}

void TekLensaPlayer::PresentPicture() {
  const gdi::Bitmap* picture = ActiveSegment() ? ShownPicture() : nullptr;
  auto* view = static_cast<TPictureView*>(TargetCanvas);
  if (!picture || !view) return;
  const QImage::Format format = picture->BitsPerPixel() == 8 ? QImage::Format_Indexed8 : QImage::Format_RGB32;
  bool everything = view->Cleared();
  if (presented_.width() != picture->Width() || presented_.height() != picture->Height() ||
      presented_.format() != format || presented_.bytesPerLine() != picture->Stride()) {
    presented_ = NewPresentedImage(*picture, format);
    Changed.MarkAll();
    everything = true;
  }
  if (format == QImage::Format_Indexed8) {
    QList<QRgb> colours(256);
    for (int i = 0; i < 256; ++i) colours[i] = qRgb(ColorTable[i].rgbRed, ColorTable[i].rgbGreen, ColorTable[i].rgbBlue);
    // New colours change every pixel that uses them.
    if (colours != presented_.colorTable()) {
      presented_.setColorTable(colours);
      everything = true;
    }
  }
  // Only what changed since the last present is copied and repainted; both
  // images lay their rows out alike.
  const size_t bytes = std::min(picture->ByteSize(), static_cast<size_t>(presented_.sizeInBytes()));
  if (!Changed.Empty()) {
    uint8_t* const to = presented_.bits();
    const uint8_t* const from = picture->Bits();
    const size_t stride = static_cast<size_t>(picture->Stride());
    const size_t pixelBytes = static_cast<size_t>(picture->BitsPerPixel() / 8);
    size_t firstColumn = stride, endColumn = 0;
    Changed.ForEachRange([&](size_t begin, size_t end) {
      if (begin < bytes) std::memcpy(to + begin, from + begin, std::min(end, bytes) - begin);
      // A range within one row narrows the repainted columns; one across rows takes them all.
      if (begin / stride == (end - 1) / stride) {
        firstColumn = std::min(firstColumn, begin % stride);
        endColumn = std::max(endColumn, (end - 1) % stride + 1);
      } else {
        firstColumn = 0;
        endColumn = stride;
      }
    });
    const int firstRow = static_cast<int>(Changed.FirstByte() / stride);
    const int lastRow = std::min(static_cast<int>((Changed.EndByte() - 1) / stride), picture->Height() - 1);
    const int left = static_cast<int>(firstColumn / pixelBytes);
    const int right = std::min(static_cast<int>((endColumn + pixelBytes - 1) / pixelBytes), picture->Width());
    if (!everything) view->UpdatePictureRect(QRect(left, firstRow, right - left, lastRow - firstRow + 1));
  }
  if (everything) view->update();
  view->PictureShown();
  Changed.Reset(picture->ByteSize());
}

void TekLensaPlayer::ComposeFrame() {
  const TResult composed = ComposePicture();
  if (composed != result::AllRight) {
    AStopExecute();
    ShowResult("DXTimerPlayTimer", composed);
    return;
  }
  pbrProgress->setValue(PlayedFrames() + 1);
  const TResult next = NextFrame();
  if (next == result::AllRight) return;
  if (next == result::OutOfIndexBound) {
    if (NextSegment() != result::AllRight) EndOfMovie();
    return;
  }
  AStopExecute();
  ShowResult("DXTimerPlayTimer", next);
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
  Timer.setInterval(segment.FrameRate == 0 ? 100 : 1000 / segment.FrameRate);
  LayoutPicture();
  if (PlayState == playstate::Playing) {
    pnlPath->setText(QString::fromStdString(segment.Name.Utf8()));
    if (frmDisplay)
      frmDisplay->setWindowTitle(QString::fromStdString(platform::FileNameText(platform::ExtractFileName(FileName))) + QStringLiteral(":  ") +
                                 pnlPath->text());
  }
}

void TekLensaPlayer::UnsupportedDepth() {
  ending_ = true;
  EnableTimer(false);
  platform::MessageBox("В текущей версии не поддерживается данный видео режим.");
  QCoreApplication::exit(1);
}
