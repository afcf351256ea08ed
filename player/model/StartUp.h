#pragma once

#include <string>
#include <vector>

class QApplication;

// The program's start: the four windows in order, the movie named on the
// command line, then the message loop. Returns the exit status.
int RunPlayer(QApplication& application, const std::vector<std::string>& arguments);
