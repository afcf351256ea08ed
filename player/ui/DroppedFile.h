// A movie dragged from a file manager onto one of the player's windows.
#pragma once

#include <functional>
#include <optional>
#include <string>

class QMimeData;
class QObject;
class QWidget;

// The first local file the drag carries, as the file system names it; none
// for text, remote addresses or folders.
std::optional<std::string> DroppedFile(const QMimeData* data);

// `window` takes files dropped on it and hands each to `open`, for as long as
// `owner` lives (the window may outlive whoever opens the files).
void AcceptFileDrops(QWidget& window, QObject& owner, std::function<void(const std::string&)> open);
