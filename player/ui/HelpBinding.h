// The HTML Help library, bound by name at start like the cabinet library:
// "HHCtrl.OCX" and its entry point "HtmlHelpA". Without either, help does
// nothing, and nothing is reported.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class QWidget;

// The library's entry point: owner window, help path with an optional
// "::/topic.htm#anchor", command, data.
using THtmlHelpProc = void* (*)(void* owner, const char* file, uint32_t command, uintptr_t data);
inline constexpr uint32_t HH_DISPLAY_TOPIC = 0;

// Where the library is looked for, in order: the program's own folder, then
// the installed library folder. Tests point it elsewhere.
void SetHelpLibraryFolders(std::vector<std::string> folders);
void LoadHelpLibrary();
void ReleaseHelpLibrary();
THtmlHelpProc HtmlHelpProc();

// Shows the help file (with its topic) owned by `owner`, when the library is there.
void ShowHelp(QWidget* owner, const std::string& path);
