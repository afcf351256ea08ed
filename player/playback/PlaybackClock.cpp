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
  if (!picture) return;
  const QImage::Format format = picture->BitsPerPixel() == 8 ? QImage::Format_Indexed8 : QImage::Format_RGB32;
  if (presented_.width() != picture->Width() || presented_.height() != picture->Height() ||
      presented_.format() != format || presented_.bytesPerLine() != picture->Stride()) {
    presented_ = NewPresentedImage(*picture, format);
    Changed.MarkAll();
  }
  if (format == QImage::Format_Indexed8) {
    QList<QRgb> colours(256);
    for (int i = 0; i < 256; ++i) colours[i] = qRgb(ColorTable[i].rgbRed, ColorTable[i].rgbGreen, ColorTable[i].rgbBlue);
    presented_.setColorTable(colours);
  }
  // Only what changed since the last present is copied and repainted; both
  // images lay their rows out alike.
  const size_t bytes = std::min(picture->ByteSize(), static_cast<size_t>(presented_.sizeInBytes()));
  if (!Changed.Empty()) {
    uint8_t* const to = presented_.bits();
    const uint8_t* const from = picture->Bits();
    Changed.ForEachRange([&](size_t begin, size_t end) {
      if (begin < bytes) std::memcpy(to + begin, from + begin, std::min(end, bytes) - begin);
    });
    const int firstRow = static_cast<int>(Changed.FirstByte() / picture->Stride());
    const int lastRow = std::min(static_cast<int>((Changed.EndByte() - 1) / picture->Stride()), picture->Height() - 1);
    if (format == QImage::Format_Indexed8 || StretchPicture) {
      spDisplay->update();
    } else {
      spDisplay->update(PictureLeft, PictureTop + firstRow, picture->Width(), lastRow - firstRow + 1);
    }
  } else if (format == QImage::Format_Indexed8) {
    spDisplay->update();  // the colours alone may have changed
  }
  spDisplay->cleared_ = false;
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
    frmDisplay->close();
  }
  OwnWindowMode = false;
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
