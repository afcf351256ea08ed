#include "StartUp.h"

#include <QAction>
#include <QApplication>

#include <memory>

#include "CommandLine.h"
#include "Exception.h"
#include "Files.h"
#include "MessageBox.h"
#include "Streams.h"
#include "ekAbout.h"
#include "ekDisplay.h"
#include "ekLensaPlayerImpl1.h"
#include "ekSegments.h"

std::optional<int> OpenMovieAtStart(TekLensaPlayer& player, std::vector<std::string> arguments) {
  player.Salvage = TakeSalvageOption(arguments);
  const auto path = MoviePathFromArguments(arguments);
  if (!path) return std::nullopt;
  player.SetFileName(*path);
  player.show();
  if (!platform::FileExists(*path)) {
    // A name that leads nowhere is said, in the words of the file layer.
    try {
      platform::TFileStream probe(*path, platform::TFileStream::Mode::OpenRead, platform::FILE_SHARE_READ);
    } catch (const platform::Exception& e) { platform::MessageBox(e.what(), "Error", platform::MessageIcon::Error); }
    return std::nullopt;
  }
  try {
    // Played directly, not through the action's guard: an error of the first
    // activation ends the program like an error of opening.
    if (player.OpenMovie(*path)) player.APlayExecute();
  } catch (const std::exception& e) {
    player.EnableTimer(false);
    platform::MessageBox(e.what(), "Error", platform::MessageIcon::Error);
    return 1;
  }
  // The request to end after message 0 came before the event loop that would have seen it.
  if (player.Ending()) return 1;
  return std::nullopt;
}

int RunPlayer(QApplication& application, const std::vector<std::string>& arguments) {
  // Declared before the main window, so destroyed after it: its destruction
  // stops playback, which hides the display window.
  TfrmSegments segments;
  TfrmAbout about;
  TfrmDisplay display;
  std::unique_ptr<TekLensaPlayer> player;
  try {
    player = std::make_unique<TekLensaPlayer>();
  } catch (const std::exception& e) {
    platform::MessageBox(e.what(), "Error", platform::MessageIcon::Error);
    return 1;
  }
  if (player->CreationFailed()) return 1;
  player->AttachWindows(&segments, &about, &display);

  player->showMaximized();
  if (const auto status = OpenMovieAtStart(*player, arguments)) return *status;
  // Closed while the movie loaded (the window is painted before it reads):
  // the request to end came before the loop that would have seen it.
  if (!player->isVisible()) return 0;
  return application.exec();
}
