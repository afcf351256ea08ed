// The progress bar that also takes the user to a frame: a click or a drag
// with the left button names the frame under the pointer, on the bar's scale.
#pragma once

#include <QProgressBar>

#include <functional>

class TSeekBar : public QProgressBar {
 public:
  explicit TSeekBar(QWidget* parent) : QProgressBar(parent) {}

  // Called with the frame (0 .. maximum - 1) under the pointer.
  std::function<void(int frame)> OnSeek;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void SeekTo(double x);
  int lastFrame_ = -1;
};
