#include "StartUp.h"

#include <QAction>
#include <QApplication>

#include <memory>

#include "CommandLine.h"
#include "MessageBox.h"
#include "ekAbout.h"
#include "ekDisplay.h"
#include "ekLensaPlayerImpl1.h"
#include "ekSegments.h"

std::optional<int> OpenMovieAtStart(TekLensaPlayer& player, const std::vector<std::string>& arguments) {
  const auto path = MoviePathFromArguments(arguments);
  if (!path) return std::nullopt;
  player.SetFileName(*path);
  player.show();
  try {
    if (player.OpenMovie(*path)) player.APlay->trigger();
  } catch (const std::exception& e) {
    platform::MessageBox(e.what(), "Error", platform::MessageIcon::Error);
    return 1;
  }
  return std::nullopt;
}

int RunPlayer(QApplication& application, const std::vector<std::string>& arguments) {
  std::unique_ptr<TekLensaPlayer> player;
  try {
    player = std::make_unique<TekLensaPlayer>();
  } catch (const std::exception& e) {
    platform::MessageBox(e.what(), "Error", platform::MessageIcon::Error);
    return 1;
  }
  if (player->CreationFailed()) return 1;
  TfrmSegments segments;
  TfrmAbout about;
  TfrmDisplay display;
  player->AttachWindows(&segments, &about, &display);

  player->showMaximized();
  if (const auto status = OpenMovieAtStart(*player, arguments)) return *status;
  return application.exec();
}
