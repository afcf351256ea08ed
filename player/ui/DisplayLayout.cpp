// Where the picture goes: centred in the main window above the panel, or in
// the display window of its own; the mode switch; the title picture at the end.
#include <QAction>
#include <QLabel>
#include <QToolButton>

#include <chrono>
#include <cmath>
#include <thread>

#include "PictureView.h"
#include "Screen.h"
#include "ShowRestored.h"
#include "ekDisplay.h"
#include "ekLensaPlayerImpl1.h"

namespace {

// The smaller of the two factors, each size rounded to the nearest, halves to even.
void ScaleToFit(int32_t fw, int32_t fh, int width, int height, int32_t& scaledWidth, int32_t& scaledHeight) {
  const double scale = std::min(static_cast<double>(width) / fw, static_cast<double>(height) / fh);
  scaledWidth = static_cast<int32_t>(std::nearbyint(fw * scale));
  scaledHeight = static_cast<int32_t>(std::nearbyint(fh * scale));
}

}  // namespace

void TekLensaPlayer::LayoutPicture() {
  if (SegmentList.empty() || CurSegment < 0 || CurSegment >= static_cast<int32_t>(SegmentList.size())) return;
  const SegInfo& segment = *SegmentList[static_cast<size_t>(CurSegment)];
  const TPictureLayout layout = IsOwnWindowMode() && frmDisplay ? LayoutDisplayWindow(segment.Width, segment.Height)
                                                                : LayoutInMainWindow(segment.Width, segment.Height);
  // The one place the layout's outputs are written.
  StretchPicture = layout.stretch;
  if (layout.stretch) {
    ScaledWidth = layout.scaledWidth;
    ScaledHeight = layout.scaledHeight;
  }
  PictureLeft = layout.left;
  PictureTop = layout.top;
  if (IsOwnWindowMode() && frmDisplay) {
    frmDisplay->repaint();
  } else {
    // The margins are the view's own grey background, painted with the picture.
    spDisplay->update();
  }
}

TekLensaPlayer::TPictureLayout TekLensaPlayer::LayoutInMainWindow(int w, int h) const {
  // The picture area lies above the control panel, which the layout of the window leaves out.
  const int cw = spDisplay->width(), ah = spDisplay->height();
  TPictureLayout layout;
  int pictureWidth = w, pictureHeight = h;
  if ((cw < w || ah < h) && PictureWidth != 0 && PictureHeight != 0) {
    layout.stretch = true;
    ScaleToFit(PictureWidth, PictureHeight, cw, ah, layout.scaledWidth, layout.scaledHeight);
    pictureWidth = layout.scaledWidth;
    pictureHeight = layout.scaledHeight;
  }
  layout.left = (cw - pictureWidth) / 2;
  layout.top = (ah - pictureHeight) / 2;
  return layout;
}

TekLensaPlayer::TPictureLayout TekLensaPlayer::LayoutDisplayWindow(int w, int h) {
  const int sw = platform::Screen().width, sh = platform::Screen().height;
  TPictureLayout layout;
  if (sw == w && sh == h) {
    frmDisplay->SetDialogBorder(false);
    frmDisplay->PlaceClient(QRect(0, 0, w, h));
  } else if (sw < w || sh < h) {
    frmDisplay->SetDialogBorder(false);
    frmDisplay->PlaceClient(QRect(0, 0, sw, sh));
    layout.stretch = true;
    // Before the first activation of a run the active size is still zero: the recorded size stands in.
    const int32_t fw = PictureWidth != 0 ? PictureWidth : w, fh = PictureHeight != 0 ? PictureHeight : h;
    ScaleToFit(fw, fh, sw, sh, layout.scaledWidth, layout.scaledHeight);
  } else {
    frmDisplay->SetDialogBorder(true);
    const QRect client = frmDisplay->Client(), outer = client.marginsAdded(frmDisplay->Frame());
    const int centreX = outer.left() + outer.width() / 2, centreY = outer.top() + outer.height() / 2;
    const int width = outer.width() + w - client.width(), height = outer.height() + h - client.height();
    int left = centreX - width / 2, top = centreY - height / 2;
    if (left + width > sw) left = sw - width;
    if (top + height > sh) top = sh - height;
    left = std::max(left, 0);
    top = std::max(top, 0);
    frmDisplay->PlaceClient(QRect(left + client.left() - outer.left(), top + client.top() - outer.top(), w, h));
  }
  return layout;
}

void TekLensaPlayer::SetOwnWindowMode(bool on) {
  OwnWindowMode = on;
  if (on && frmDisplay) {
    spDisplay->update();
    LayoutPicture();
    if (PlayState == playstate::Playing) ShowRestored(*frmDisplay);
    TargetCanvas = displayView_;
    displayView_->update();
  } else if (!on) {
    if (frmDisplay) frmDisplay->hide();
    TargetCanvas = spDisplay;
    LayoutPicture();
  }
  ASetOwnWindow->setChecked(OwnWindowMode);
  btnInOwnWindow->setChecked(OwnWindowMode);
}

void TekLensaPlayer::ASetOwnWindowExecute() { SetOwnWindowMode(!OwnWindowMode); }

void TekLensaPlayer::FormResize() { LayoutPicture(); }

void TekLensaPlayer::ShowEndSplash() {
  QWidget* parent = IsOwnWindowMode() && frmDisplay ? static_cast<QWidget*>(displayView_) : spDisplay;
  if (!imgSplash) {
    imgSplash = new QLabel(parent);
    imgSplash->setPixmap(QPixmap::fromImage(titlePicture_));
    imgSplash->resize(titlePicture_.size());
  }
  imgSplash->setParent(parent);
  // The picture area of the main window is its height above the panel already.
  imgSplash->move((parent->width() - titlePicture_.width()) / 2, (parent->height() - titlePicture_.height()) / 2);
  imgSplash->raise();
  imgSplash->show();
  imgSplash->repaint();
  // The interface stays frozen for that second: no message is handled.
  const auto start = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - start <= std::chrono::milliseconds(SplashMilliseconds))
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  imgSplash->hide();
  repaint();
}
