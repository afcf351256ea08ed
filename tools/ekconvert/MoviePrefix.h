// The first bytes of a movie, without unpacking all of it: a bare movie file
// is read, the movie file of a cabinet or packaged movie is decompressed,
// each only as far as the caller needs. The caller is asked with ever longer
// beginnings (each twice the last) whether it has enough.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// `enough` gets the bytes so far and whether they are the whole movie file;
// true ends the reading. False when the beginning couldn't be had this way:
// the cabinet is damaged, or the movie goes on into the next cabinet of a set.
bool ReadMoviePrefix(const std::string& path,
                     const std::function<bool(const std::vector<uint8_t>& bytes, bool complete)>& enough);
