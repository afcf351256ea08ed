// The player program.
#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "AppIcon.h"
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

// `ekPlayer --help` and `ekPlayer --version` print and end the program, with
// or without a display. Only as the one argument: anything else is a movie's
// path, however it looks.
bool AnswersHelpOrVersion(int argc, char** argv) {
  static const char* const kOptions[] = {"--help", "-h", "--help-all", "--version", "-v"};
  if (argc != 2 || std::find_if(std::begin(kOptions), std::end(kOptions), [&](const char* option) {
                     return std::strcmp(option, argv[1]) == 0;
                   }) == std::end(kOptions))
    return false;
  QCoreApplication application(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("ekPlayer"));
  QCoreApplication::setApplicationVersion(QStringLiteral(EK_VERSION));
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Plays screen-capture movies: cabinet movies (.ekcab), packaged movies (.exe) and movie files (.~ekflm).\n"
      "All arguments together are taken as the movie's path; --salvage before it plays what survives of a\n"
      "damaged movie."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("movie"), QStringLiteral("The movie to play."));
  parser.process(application);  // prints and exits
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (AnswersHelpOrVersion(argc, argv)) return 0;
  // Bound before the application object, as the help commands expect.
  LoadHelpLibrary();
  // Qt's own plugins alone: by default Qt also looks beside the program, and a
  // packaged movie's player lies in the temporary folder.
  QCoreApplication::setLibraryPaths({QLibraryInfo::path(QLibraryInfo::PluginsPath)});
  QApplication application(argc, argv);
  // The program speaks Russian: Qt's own dialogs and buttons too.
  QTranslator qtTexts;
  if (qtTexts.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(&qtTexts);
  QApplication::setApplicationName(QStringLiteral("ekPlayer"));
  QApplication::setApplicationVersion(QStringLiteral(EK_VERSION));
  // Docks and task switchers find the entry, its name and icon, by this.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.example.ekplayer"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.example.ekplayer"), AppIcon()));
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
