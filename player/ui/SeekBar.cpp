#include "SeekBar.h"

#include <QMouseEvent>

#include <algorithm>
#include <cmath>

void TSeekBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QProgressBar::mousePressEvent(event);
  lastFrame_ = -1;
  SeekTo(event->position().x());
}

void TSeekBar::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) SeekTo(event->position().x());
}

void TSeekBar::SeekTo(double x) {
  const int frames = maximum() - minimum();
  if (frames <= 0 || width() <= 0 || !OnSeek) return;
  const int frame = std::clamp(static_cast<int>(std::floor(x * frames / width())), 0, frames - 1);
  // A drag within one frame's width asks for nothing new.
  if (frame == lastFrame_) return;
  lastFrame_ = frame;
  OnSeek(frame);
}
