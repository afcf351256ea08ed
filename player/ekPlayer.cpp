// The player program.
#include <QApplication>
#include <QScreen>

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
  QApplication application(argc, argv);
  ReadScreenMetrics();
  InstallQtMessageBoxes();
  std::vector<std::string> arguments;
  for (const QString& argument : application.arguments().mid(1)) arguments.push_back(argument.toStdString());
  return RunPlayer(application, arguments);
}
