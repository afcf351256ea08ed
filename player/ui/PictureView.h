// The main window's picture area: shows the presented picture at its place,
// scaled when the layout says so; the rest is the window's grey.
#pragma once

#include <QWidget>

#include <functional>

class TekLensaPlayer;

class TPictureView : public QWidget {
  Q_OBJECT

 public:
  explicit TPictureView(TekLensaPlayer& player);
  // Erases the shown picture until the next present.
  void ClearPicture();
  bool Cleared() const { return cleared_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  TekLensaPlayer& player_;
  bool cleared_ = true;
  friend class TekLensaPlayer;
};
