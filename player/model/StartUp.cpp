#include "StartUp.h"

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

  if (const auto path = MoviePathFromArguments(arguments)) {
    player->SetFileName(*path);
  }
  player->showMaximized();
  return application.exec();
}
