// The dialog behind "Открыть файл": the movie it asks for, the folder it
// opens in, and what it offers.
#pragma once

#include <optional>
#include <string>

class QFileDialog;
class QWidget;

// Only a file that exists can be chosen, so a mistyped name never releases
// the loaded movie. Besides cabinet movies it offers packaged movies, bare
// movie files and all files, so a folder of packaged movies does not look empty.
void SetUpOpenDialog(QFileDialog& dialog);

// Where the dialog opens: the folder of the movie chosen last (kept in the
// user's settings), else the user's videos, else the home folder. The
// program's own folder is a system or temporary folder here.
std::string OpenDialogFolder();
void RememberOpenDialogFolder(const std::string& chosenFile);

// The chosen file, none when the dialog is cancelled.
std::optional<std::string> AskForMovie(QWidget* parent, const std::string& folder);
