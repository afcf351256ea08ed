#pragma once

#include <optional>
#include <string>

// A name stored in a cabinet as a path below the destination folder: `\` and
// `/` both separate folders. None for a name that would leave the folder
// (absolute, with a drive letter or a `..` component) or names no file.
std::optional<std::string> SafeRelativeName(const std::string& stored);
