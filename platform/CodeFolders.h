// Where the programs take code from (the cabinet library, the help library,
// the converter's video module) and the help file. Only folders that the user
// and root alone can write serve: anyone who can put a file there could run
// code as the user who plays a movie.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Which files a folder may give: the launcher writes only the cabinet library
// beside the player it starts, so its private folder gives nothing else.
enum class TCodeOrigin { WrittenByLauncher, Installed };

// The folders that may hold such a file, in the order they are tried: the
// program's own folder (the private temporary folder only for the launcher's
// files), the private library folder found from it, and the one fixed when
// the program was built.
std::vector<std::string> CodeFolders(TCodeOrigin origin);

// The folder and every folder above it belong to the user or root, and none
// of them can be written by anyone else (a sticky folder above, such as /tmp,
// lets others add names but not replace ours).
bool OnlyUserAndRootCanWrite(const std::string& folder);

// The path of `name` in the first of the folders that holds it as a regular
// file of the user or root that nobody else can write, in a folder of which
// the same holds; none when no folder does.
std::optional<std::string> TrustedFile(const std::string& name, const std::vector<std::string>& folders);

}  // namespace platform
