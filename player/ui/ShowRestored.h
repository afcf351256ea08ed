// Showing one of the player's windows: a window the user minimised comes back
// restored and on top, or the picture would play into a window nobody sees.
#pragma once

#include <QWidget>

inline void ShowRestored(QWidget& window) {
  if (window.isMinimized()) window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  window.show();
  window.raise();
}
