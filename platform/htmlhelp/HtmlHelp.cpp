// HHCtrl.OCX: the help library the player binds by name. Its one function
// shows a topic of a compiled help file in a help window owned by the window
// that asked; a second request reuses that window and moves it to the topic.
#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>

#include "ChmFile.h"
#include "HelpWindow.h"

namespace {

constexpr uint32_t HH_DISPLAY_TOPIC = 0;

QPointer<THelpWindow> helpWindow;
std::shared_ptr<TChmFile> openFile;

}  // namespace

// file: the help file's path, optionally followed by "::/topic.htm#anchor".
extern "C" __attribute__((visibility("default"))) void* HtmlHelpA(void* owner, const char* file, uint32_t command,
                                                                  uintptr_t) {
  if (command != HH_DISPLAY_TOPIC || !file) return nullptr;
  const std::string request = file;
  const size_t separator = request.find("::");
  const std::string path = request.substr(0, separator);
  if (!openFile || openFile->Path() != path) {
    std::unique_ptr<TChmFile> opened = TChmFile::Open(path);
    if (!opened) return nullptr;  // what a missing file shows is the viewer's affair: nothing
    openFile = std::move(opened);
  }
  std::string topic = separator == std::string::npos ? openFile->DefaultTopic() : request.substr(separator + 2);
  if (topic.empty()) topic = "/index.htm";
  auto* ownerWindow = static_cast<QWidget*>(owner);
  if (!helpWindow || helpWindow->parentWidget() != ownerWindow) {
    delete helpWindow;
    helpWindow = new THelpWindow(ownerWindow);
    // Help asked for by a window that stays on top would open behind it.
    if (ownerWindow && ownerWindow->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
      helpWindow->setWindowFlag(Qt::WindowStaysOnTopHint);
  }
  helpWindow->ShowTopic(openFile, QString::fromStdString(topic));
  return helpWindow.data();
}
