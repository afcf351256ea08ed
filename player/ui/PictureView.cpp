#include "PictureView.h"

#include <QMouseEvent>
#include <QPainter>

#include "ekLensaPlayerImpl1.h"

TPictureView::TPictureView(TekLensaPlayer& player) : QWidget(&player), player_(player) {
  QPalette colours = palette();
  colours.setColor(QPalette::Window, QColor(128, 128, 128));
  setPalette(colours);
  setAutoFillBackground(true);
  setCursor(Qt::PointingHandCursor);
}

void TPictureView::ClearPicture() {
  cleared_ = true;
  update();
}

void TPictureView::paintEvent(QPaintEvent* event) {
  if (cleared_ || player_.PresentedPicture().isNull()) return;
  QPainter painter(this);
  painter.setClipRegion(event->region());
  const QImage& picture = player_.PresentedPicture();
  if (player_.StretchPicture) {
    painter.drawImage(QRect(player_.PictureLeft, player_.PictureTop, player_.ScaledWidth, player_.ScaledHeight),
                      picture);
  } else {
    painter.drawImage(QPoint(player_.PictureLeft, player_.PictureTop), picture);
  }
}

void TPictureView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) player_.Guarded([this] { player_.APlayExecute(); });
}

void TPictureView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  player_.Guarded([this] { player_.LayoutPicture(); });
}
