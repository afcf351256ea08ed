#pragma once

#include <string>
#include <vector>

#include <optional>

class QApplication;
class TekLensaPlayer;

// The movie named by the arguments is opened and, when that succeeds,
// played. An error while opening it is shown; the exit status is then 1.
std::optional<int> OpenMovieAtStart(TekLensaPlayer& player, std::vector<std::string> arguments);

// The program's start: the four windows in order, the movie named on the
// command line, then the message loop. Returns the exit status.
int RunPlayer(QApplication& application, const std::vector<std::string>& arguments);
