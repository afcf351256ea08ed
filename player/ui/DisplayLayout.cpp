// Where the picture goes in the window, and the title picture at the end.
#include <QLabel>

#include <chrono>
#include <cmath>
#include <thread>

#include "PictureView.h"
#include "ekLensaPlayerImpl1.h"

void TekLensaPlayer::LayoutPicture() {
  const SegInfo* segment = ActiveSegment();
  if (!segment) return;
  const int w = segment->Width, h = segment->Height;
  const int fw = PictureWidth, fh = PictureHeight;
  StretchPicture = false;
  // The picture area lies above the control panel already.
  const int cw = spDisplay->width(), ah = spDisplay->height();
  int pictureWidth = w, pictureHeight = h;
  if ((cw < w || ah < h) && fw != 0 && fh != 0) {
    StretchPicture = true;
    const double scale = std::min(static_cast<double>(cw) / fw, static_cast<double>(ah) / fh);
    ScaledWidth = static_cast<int32_t>(std::nearbyint(fw * scale));
    ScaledHeight = static_cast<int32_t>(std::nearbyint(fh * scale));
    pictureWidth = ScaledWidth;
    pictureHeight = ScaledHeight;
  }
  PictureLeft = (cw - pictureWidth) / 2;
  PictureTop = (ah - pictureHeight) / 2;
  // The margins are the view's own grey background.
  spDisplay->update();
}

void TekLensaPlayer::ShowEndSplash() {
  if (!imgSplash) {
    imgSplash = new QLabel(spDisplay);
    imgSplash->setPixmap(QPixmap::fromImage(titlePicture_));
    imgSplash->resize(titlePicture_.size());
  }
  imgSplash->move((spDisplay->width() - titlePicture_.width()) / 2, (spDisplay->height() - titlePicture_.height()) / 2);
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
