// A picture area: shows the presented picture at its place, scaled when the
// layout says so, when it is the player's target; the rest is its
// background. The main window has one, the display window the other.
#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <vector>

class TekLensaPlayer;

class TPictureView : public QWidget {
  Q_OBJECT

 public:
  // clickPlays: a left click executes play (the main window's area only).
  TPictureView(TekLensaPlayer& player, QWidget* parent, QColor background, bool clickPlays);
  // Erases the shown picture until the next present.
  void ClearPicture();
  bool Cleared() const { return cleared_; }
  void PictureShown() { cleared_ = false; }
  // Repaints the part of the view that shows the given picture pixels, which
  // the player's last present changed.
  void UpdatePictureRegion(const QRegion& pixels);
  // Outlines picture pixels for a moment, as where a found line stands.
  void Outline(const QRect& pixels, int milliseconds);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Where the picture is drawn in the view.
  QRect Target() const;
  // The view pixels that show the given picture pixels, one more on each side when scaled.
  QRect ViewRect(const QRect& pixels, const QRect& target) const;
  // The pixels of the scaled picture that show the given picture pixels,
  // exactly, as the scaling picks them; within the scaled picture.
  QRect ScaledRect(const QRect& pixels) const;
  // The scaled picture made afresh for the target, or the part of it in a
  // view rectangle from the picture as it is now.
  void ScaleWhole(const QRect& target);
  void ScalePart(const QRect& view, const QRect& target);
  // The picture pixels a view rectangle shows, within the picture.
  QRect PictureRect(const QRect& view, const QRect& target) const;
  // Repaints a frame drawn around a view rectangle.
  void UpdateFrame(const QRect& view);

  TekLensaPlayer& player_;
  bool clickPlays_;
  bool cleared_ = true;
  // The outlined picture pixels, and the timer that takes the outline away.
  QRect outline_;
  QTimer outlineTimer_;
  // Shift+drag on a paused picture: where it began and the view rectangle so far.
  QPoint selectFrom_;
  QRect selection_;
  bool selecting_ = false;
  // A scaled picture is scaled here, once per change, and drawn from here:
  // every pixel is then the same however the view is repainted, a tick's
  // part or the whole. Made for the present `scaledPresent_` and kept up to
  // date while each present reaches this view; the picture column and row
  // each of its columns and rows shows.
  QImage scaled_;
  uint64_t scaledPresent_ = 0;
  std::vector<int> columnsFrom_, rowsFrom_;
};
