// The names of a movie's files that the format fixes, and how a file's kind
// is told from its name.
#pragma once

#include <string>

// The movie inside every cabinet; the player takes nothing else out of one.
inline constexpr const char* kMovieFileName = "MyFilm.~ekflm";

// A movie file on its own, not in a cabinet: known by its extension, in any case.
bool IsBareMovie(const std::string& path);
