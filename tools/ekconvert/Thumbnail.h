// A small picture of a movie for file managers: its first frame with content
// (not the black start), cursor included, scaled down so that the longer side
// is at most `size` with the aspect kept. Only as much of the movie is
// unpacked as that frame needs.
#pragma once

#include <string>

// With `salvage`, of what can still be played of a damaged movie, as rescue
// keeps it of the first bytes read. Throws platform::Exception saying what is
// wrong; writes nothing then.
void WriteThumbnail(const std::string& moviePath, const std::string& pngPath, int size, bool salvage = false);
