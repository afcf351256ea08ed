// Starting programs and opening files the way the shell does.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Opens a file with the desktop's program for it; does not wait.
void ShellOpenFile(const std::string& path);
// Starts a program detached with the arguments; false when it can't be started.
bool ShellExecute(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace platform
