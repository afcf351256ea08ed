// One frame a tick: present what the previous tick composed, compose the next.
#include <QApplication>
#include <QLabel>
#include <QProgressBar>

#include <cstring>

#include "Files.h"
#include "MessageBox.h"
#include "PictureView.h"
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
      presented_.format() != format) {
    presented_ = QImage(picture->Width(), picture->Height(), format);
    pendingRows_ = {0, picture->Height() - 1};
  }
  if (format == QImage::Format_Indexed8) {
    QList<QRgb> colours(256);
    for (int i = 0; i < 256; ++i) colours[i] = qRgb(ColorTable[i].rgbRed, ColorTable[i].rgbGreen, ColorTable[i].rgbBlue);
    presented_.setColorTable(colours);
  }
  // Only the rows composed since the last present are copied and repainted.
  const size_t rowBytes = static_cast<size_t>(picture->Width()) * (picture->BitsPerPixel() / 8);
  for (int y = std::max(pendingRows_.firstRow, 0); y <= pendingRows_.lastRow && y < picture->Height(); ++y)
    std::memcpy(presented_.scanLine(y), picture->Row(y), rowBytes);
  spDisplay->cleared_ = false;
  if (format == QImage::Format_Indexed8 || StretchPicture || pendingRows_.firstRow > pendingRows_.lastRow) {
    spDisplay->update();
  } else {
    spDisplay->update(PictureLeft, PictureTop + pendingRows_.firstRow, picture->Width(),
                      pendingRows_.lastRow - pendingRows_.firstRow + 1);
  }
  pendingRows_ = {};
}

void TekLensaPlayer::ComposeFrame() {
  const TResult composed = ComposePicture();
  if (composed != result::AllRight) {
    AStopExecute();
    ShowResult("DXTimerPlayTimer", composed);
    return;
  }
  const TFrameBounds rows = ChangedRows;
  if (rows.firstRow <= rows.lastRow) {
    pendingRows_ = pendingRows_.firstRow > pendingRows_.lastRow
                       ? rows
                       : TFrameBounds{std::min(pendingRows_.firstRow, rows.firstRow),
                                      std::max(pendingRows_.lastRow, rows.lastRow)};
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
  pendingRows_ = {0, PictureHeight - 1};
  if (PlayState == playstate::Playing) {
    pnlPath->setText(QString::fromStdString(segment.Name.Utf8()));
    if (frmDisplay)
      frmDisplay->setWindowTitle(QString::fromStdString(platform::ExtractFileName(FileName)) + QStringLiteral(":  ") +
                                 pnlPath->text());
  }
}

void TekLensaPlayer::UnsupportedDepth() {
  ending_ = true;
  EnableTimer(false);
  platform::MessageBox("В текущей версии не поддерживается данный видео режим.");
  QCoreApplication::exit(1);
}
