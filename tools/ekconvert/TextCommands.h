// The converter's text commands: the text read off a movie's pictures, and
// a search of it across movies and folders. A movie is read once; its text
// is kept in the user's cache for every later command and for the player.
#pragma once

#include <string>
#include <vector>

// Prints the movie's lines: 0, or 1 after saying what is wrong.
int PrintMovieText(const std::string& file, bool json);

// Prints the lines of the movies that match the query, reading first the
// movies not read yet, `jobs` at a time: 0 with hits, 1 without.
int SearchMovies(const std::string& query, const std::vector<std::string>& paths, bool json, int jobs);
