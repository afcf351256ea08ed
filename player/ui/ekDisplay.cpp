#include "ekDisplay.h"

TfrmDisplay::TfrmDisplay(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
  setWindowTitle(QStringLiteral("frmDisplay"));
  resize(862, 613);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, QColor(192, 192, 192));
  setPalette(colours);
  setAutoFillBackground(true);
}
