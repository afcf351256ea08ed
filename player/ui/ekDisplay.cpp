#include "ekDisplay.h"

#include <QCloseEvent>

TfrmDisplay::TfrmDisplay(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
  setWindowTitle(QStringLiteral("frmDisplay"));
  setAttribute(Qt::WA_QuitOnClose, false);
  // Its layouts place it; the user never resizes it, also before the first.
  setFixedSize(862, 613);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, QColor(192, 192, 192));
  setPalette(colours);
  setAutoFillBackground(true);
  SetDialogBorder(true);
}

void TfrmDisplay::SetDialogBorder(bool dialog) {
  const Qt::WindowFlags flags =
      Qt::Window | Qt::WindowStaysOnTopHint |
      (dialog ? Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint
              : Qt::FramelessWindowHint);
  dialogBorder_ = dialog;
  if (windowFlags() == flags) return;
  // A window whose flags change is hidden by Qt: it comes back as it was.
  const bool shown = isVisible();
  setWindowFlags(flags);
  if (shown) show();
}

void TfrmDisplay::PlaceClient(const QRect& client) {
  setFixedSize(client.size());
  setGeometry(client);
  client_ = client;
}

QRect TfrmDisplay::Client() {
  if (isVisible()) client_ = geometry();
  return client_.isValid() ? client_ : geometry();
}

QMargins TfrmDisplay::Frame() {
  const QRect outer = frameGeometry(), client = geometry();
  const QMargins now(client.left() - outer.left(), client.top() - outer.top(), outer.right() - client.right(),
                     outer.bottom() - client.bottom());
  if (isVisible() && !now.isNull()) frame_ = now;
  return frame_;
}

void TfrmDisplay::moveEvent(QMoveEvent* event) {
  // Moved by the user or placed by the window manager: kept while it is shown.
  (void)Client();
  (void)Frame();
  QWidget::moveEvent(event);
}

void TfrmDisplay::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (FormClose) FormClose();
}
