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

  const auto path = MoviePathFromArguments(arguments);
  if (path) player->SetFileName(*path);
  player->showMaximized();
  if (path) {
    // An error while opening the movie named at start ends the program.
    try {
      if (player->OpenMovie(*path)) player->APlay->trigger();
    } catch (const std::exception& e) {
      platform::MessageBox(e.what(), "Error", platform::MessageIcon::Error);
      return 1;
    }
  }
  return application.exec();
}
