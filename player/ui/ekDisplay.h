// The separate display window, in which the picture can be shown on its own.
#pragma once

#include <QWidget>

#include <functional>

class TfrmDisplay : public QWidget {
  Q_OBJECT

 public:
  explicit TfrmDisplay(QWidget* parent = nullptr);

  // A title bar with a close button, not resizable; or no border at all.
  void SetDialogBorder(bool dialog);
  bool HasDialogBorder() const { return dialogBorder_; }
  // The client area at `client`, of exactly that size.
  void PlaceClient(const QRect& client);
  // Where the client area is, and the window manager's frame around it. Both
  // are known only while the window is shown (hidden, X reports the frame's
  // corner as the client's and no frame), so the last known stand in, or the
  // window would come back higher by its title each time.
  QRect Client();
  QMargins Frame();

  // Closing the window, by its button or by the program: the owner switches its mode off.
  std::function<void()> FormClose;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  bool dialogBorder_ = true;
  QRect client_;
  QMargins frame_;
};
