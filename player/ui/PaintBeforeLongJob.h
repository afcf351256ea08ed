// Painting before a long job that handles no events. A window just shown, or
// uncovered by a dialog that has closed, is painted only once the X server
// has mapped and exposed it, which takes a round of events: without them the
// window stays blank, or keeps the dialog's picture, until the job is done.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <QWindow>

inline void PaintBeforeLongJob(QWidget& window) {
  // Input and timers wait for the job: a key or a tick now would act on a
  // half-loaded player.
  constexpr auto kOnlyWindowEvents = QEventLoop::ExcludeUserInputEvents | QEventLoop::X11ExcludeTimers;
  QElapsedTimer waited;
  waited.start();
  const QWindow* handle = window.windowHandle();
  while (handle && window.isVisible() && !handle->isExposed() && waited.elapsed() < 1000)
    QCoreApplication::processEvents(kOnlyWindowEvents, 50);
  QCoreApplication::processEvents(kOnlyWindowEvents);
  window.repaint();
}
