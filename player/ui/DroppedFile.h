// A movie dragged from a file manager onto one of the player's windows.
#pragma once

#include <optional>
#include <string>

class QMimeData;

// The first local file the drag carries, as the file system names it; none
// for text, remote addresses or folders.
std::optional<std::string> DroppedFile(const QMimeData* data);
