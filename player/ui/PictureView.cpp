#include "PictureView.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "ekLensaPlayerImpl1.h"

TPictureView::TPictureView(TekLensaPlayer& player, QWidget* parent, QColor background, bool clickPlays)
    : QWidget(parent), player_(player), clickPlays_(clickPlays) {
  QPalette colours = palette();
  colours.setColor(QPalette::Window, background);
  setPalette(colours);
  // The view paints every pixel itself: the background only where no picture
  // covers it, so that a tick's repaint is the changed picture and nothing more.
  setAttribute(Qt::WA_OpaquePaintEvent);
  if (clickPlays_) setCursor(Qt::PointingHandCursor);
  outlineTimer_.setSingleShot(true);
  connect(&outlineTimer_, &QTimer::timeout, this, [this] {
    if (!outline_.isEmpty()) UpdateFrame(ViewRect(outline_, Target()));
    outline_ = QRect();
  });
}

void TPictureView::Outline(const QRect& pixels, int milliseconds) {
  if (!outline_.isEmpty()) UpdateFrame(ViewRect(outline_, Target()));
  outline_ = pixels;
  UpdateFrame(ViewRect(outline_, Target()));
  outlineTimer_.start(milliseconds);
}

void TPictureView::UpdateFrame(const QRect& view) { update(view.adjusted(-4, -4, 4, 4)); }

QRect TPictureView::PictureRect(const QRect& view, const QRect& target) const {
  const QImage& picture = player_.PresentedPicture();
  const QRect inView = view.translated(-target.topLeft());
  if (!player_.StretchPicture) return inView & picture.rect();
  const auto from = [](int at, int span, int size) { return static_cast<int>(int64_t{at} * size / span); };
  return QRect(QPoint(from(inView.left(), target.width(), picture.width()),
                      from(inView.top(), target.height(), picture.height())),
               QPoint(from(inView.right(), target.width(), picture.width()),
                      from(inView.bottom(), target.height(), picture.height()))) &
         picture.rect();
}

void TPictureView::ClearPicture() {
  cleared_ = true;
  update();
}

QRect TPictureView::Target() const {
  const QImage& picture = player_.PresentedPicture();
  return player_.StretchPicture
             ? QRect(player_.PictureLeft, player_.PictureTop, player_.ScaledWidth, player_.ScaledHeight)
             : QRect(QPoint(player_.PictureLeft, player_.PictureTop), picture.size());
}

QRect TPictureView::ViewRect(const QRect& pixels, const QRect& target) const {
  if (!player_.StretchPicture) return pixels.translated(target.topLeft());
  const QImage& picture = player_.PresentedPicture();
  // Nearest-neighbour: the view pixels whose source pixel lies in the rectangle, one more on each side.
  const auto to = [](int at, int from, int span) { return static_cast<int>(int64_t{at} * span / from); };
  const int left = to(pixels.left(), picture.width(), target.width()) - 1;
  const int top = to(pixels.top(), picture.height(), target.height()) - 1;
  const int right = to(pixels.right() + 1, picture.width(), target.width()) + 1;
  const int bottom = to(pixels.bottom() + 1, picture.height(), target.height()) + 1;
  return QRect(QPoint(left, top), QPoint(right, bottom)).translated(target.topLeft()) & target;
}

// A present's change is repainted straight away: the tick's picture is
// ready, and posting the repaint to come round through the event loop cost a
// tenth of the tick. Whole repaints (cleared, resized, new colours) still wait
// for the loop, where Qt joins them with the rest of the window.
void TPictureView::UpdatePictureRegion(const QRegion& pixels) {
  if (player_.PresentedPicture().isNull() || pixels.isEmpty()) return;
  const QRect target = Target();
  if (!player_.StretchPicture) {
    repaint(pixels.translated(target.topLeft()));
    return;
  }
  // The scaled picture follows the present only when it showed the one before;
  // otherwise the next paint makes it afresh.
  if (scaledPresent_ + 1 != player_.PresentCount() || scaled_.size() != target.size()) {
    update(target);
    return;
  }
  scaledPresent_ = player_.PresentCount();
  // Exact rectangles of the scaled picture keep the picture rectangles' bands
  // and stay apart as they did, so they are repainted as one region: a call
  // to update() for each rectangle cost as much as the rest of the tick.
  std::vector<QRect> views;
  views.reserve(static_cast<size_t>(pixels.rectCount()));
  for (const QRect& rect : pixels) {
    const QRect view = ScaledRect(rect).translated(target.topLeft());
    if (view.isEmpty()) continue;
    ScalePart(view, target);
    views.push_back(view);
  }
  QRegion region;
  region.setRects(views.data(), static_cast<int>(views.size()));
  repaint(region);
}

QRect TPictureView::ScaledRect(const QRect& pixels) const {
  // The tables rise with the column and row, so the scaled pixels that show a
  // span of picture pixels are one span too, found by halving.
  const auto span = [](const std::vector<int>& from, int first, int last) {
    const auto begin = std::lower_bound(from.begin(), from.end(), first);
    const auto end = std::lower_bound(begin, from.end(), last + 1);
    return std::pair{static_cast<int>(begin - from.begin()), static_cast<int>(end - from.begin())};
  };
  const auto [left, right] = span(columnsFrom_, pixels.left(), pixels.right());
  const auto [top, bottom] = span(rowsFrom_, pixels.top(), pixels.bottom());
  return QRect(left, top, right - left, bottom - top);
}

void TPictureView::ScaleWhole(const QRect& target) {
  const QImage& picture = player_.PresentedPicture();
  if (scaled_.size() != target.size()) scaled_ = QImage(target.size(), QImage::Format_RGB32);
  // Nearest neighbour: the picture pixel under the middle of each view pixel.
  const auto from = [](int at, int span, int size) {
    return static_cast<int>(std::min<int64_t>((2 * int64_t{at} + 1) * size / (2 * int64_t{span}), size - 1));
  };
  columnsFrom_.resize(static_cast<size_t>(target.width()));
  for (int x = 0; x < target.width(); ++x)
    columnsFrom_[static_cast<size_t>(x)] = from(x, target.width(), picture.width());
  rowsFrom_.resize(static_cast<size_t>(target.height()));
  for (int y = 0; y < target.height(); ++y)
    rowsFrom_[static_cast<size_t>(y)] = from(y, target.height(), picture.height());
  scaledPresent_ = player_.PresentCount();
  ScalePart(target, target);
}

void TPictureView::ScalePart(const QRect& view, const QRect& target) {
  const QImage& picture = player_.PresentedPicture();
  const QRect part = (view & target).translated(-target.topLeft());
  if (part.isEmpty()) return;
  uint8_t* const bits = scaled_.bits();
  const size_t line = static_cast<size_t>(scaled_.bytesPerLine());
  for (int y = part.top(); y <= part.bottom(); ++y) {
    const auto* from = reinterpret_cast<const QRgb*>(picture.constScanLine(rowsFrom_[static_cast<size_t>(y)]));
    auto* to = reinterpret_cast<QRgb*>(bits + static_cast<size_t>(y) * line);
    for (int x = part.left(); x <= part.right(); ++x) to[x] = from[columnsFrom_[static_cast<size_t>(x)]];
  }
}

void TPictureView::paintEvent(QPaintEvent* event) {
  const QImage& picture = player_.PresentedPicture();
  const bool shows = !cleared_ && !picture.isNull() && player_.TargetCanvas == this;
  const QRect target = shows ? Target() : QRect();
  if (shows && player_.StretchPicture && (scaledPresent_ != player_.PresentCount() || scaled_.size() != target.size()))
    ScaleWhole(target);
  QPainter painter(this);
  const QRegion background = event->region() - target;
  for (const QRect& rect : background) painter.fillRect(rect, palette().color(QPalette::Window));
  if (target.isEmpty()) return;
  // One rectangle in the clip at a time: Qt copies pixels row by row straight
  // away then, where a clip of many rectangles goes through spans (and hands
  // tall ones to other threads).
  const QImage& shown = player_.StretchPicture ? scaled_ : picture;
  for (const QRect& rect : event->region()) {
    const QRect area = rect & target;
    if (area.isEmpty()) continue;
    painter.setClipRect(area);
    painter.drawImage(area.topLeft(), shown, area.translated(-target.topLeft()));
  }
  if (outline_.isEmpty() && !selecting_) return;
  painter.setClipping(false);
  painter.setBrush(Qt::NoBrush);
  if (!outline_.isEmpty()) {
    painter.setPen(QPen(QColor(0xff, 0x30, 0x30), 3));
    painter.drawRect(ViewRect(outline_, target).adjusted(-2, -2, 2, 2));
  }
  if (selecting_) {
    painter.setPen(QPen(QColor(0x20, 0x60, 0xff), 1, Qt::DashLine));
    painter.drawRect(selection_);
  }
}

void TPictureView::mousePressEvent(QMouseEvent* event) {
  // Shift+drag on a paused picture selects text to copy; any other click is the view's own.
  if (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier) &&
      player_.PlayState == playstate::Paused && player_.TargetCanvas == this && !player_.PresentedPicture().isNull()) {
    selecting_ = true;
    selectFrom_ = event->pos();
    selection_ = QRect(selectFrom_, selectFrom_);
    UpdateFrame(selection_);
    return;
  }
  if (clickPlays_) player_.Guarded([this, event] { player_.spDisplayMouseDown(event->button()); });
}

void TPictureView::mouseMoveEvent(QMouseEvent* event) {
  if (!selecting_) return;
  UpdateFrame(selection_);
  selection_ = QRect(selectFrom_, event->pos()).normalized();
  UpdateFrame(selection_);
}

void TPictureView::mouseReleaseEvent(QMouseEvent* event) {
  if (!selecting_ || event->button() != Qt::LeftButton) return;
  selecting_ = false;
  UpdateFrame(selection_);
  const QRect pixels = PictureRect(selection_, Target());
  // The copied part stays outlined for a moment, as the found line does.
  if (!pixels.isEmpty()) {
    Outline(pixels, 1500);
    player_.Guarded([this, pixels] { player_.CopyPictureText(pixels); });
  }
}

void TPictureView::contextMenuEvent(QContextMenuEvent* event) {
  if (player_.pupMain) player_.pupMain->popup(event->globalPos());
}

void TPictureView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (clickPlays_) player_.Guarded([this] { player_.FormResize(); });
}
