// The player program.
#include <QApplication>
#include <QScreen>

#include <algorithm>
#include <string>
#include <vector>

#include "HelpBinding.h"
#include "QtMessageBox.h"
#include "Screen.h"
#include "StartUp.h"

namespace {

void ReadScreenMetrics() {
  platform::ScreenMetrics metrics;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    metrics.width = screen->size().width();
    metrics.height = screen->size().height();
    // A 24-bit-deep visual stores 32 bits per pixel.
    const int depth = screen->depth();
    metrics.bitsPerPixel = depth == 24 ? 32 : depth;
  }
  platform::SetScreen(metrics);
}

}  // namespace

int main(int argc, char** argv) {
  // Bound before the application object, as the help commands expect.
  LoadHelpLibrary();
  QApplication application(argc, argv);
  ReadScreenMetrics();
  InstallQtMessageBoxes();
  // The bytes as given: a file name need not be valid in the locale's
  // encoding (Windows-1251 names are common). QApplication has taken out
  // the arguments that were its own.
  const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
  const int status = RunPlayer(application, arguments);
  ReleaseHelpLibrary();
  return status;
}
