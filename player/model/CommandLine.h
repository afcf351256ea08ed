#pragma once

#include <optional>
#include <string>
#include <vector>

// The movie path of the player's command line: the arguments joined with
// single blanks (restoring a path with blanks passed without quotes), trimmed,
// and with a leading double quote and the last character removed. None when
// nothing is left to open.
std::optional<std::string> MoviePathFromArguments(const std::vector<std::string>& arguments);

// Takes "--salvage" off the front of the arguments when a movie follows it:
// the movie is to be played as rescue keeps it.
bool TakeSalvageOption(std::vector<std::string>& arguments);
