// A small picture of a movie for file managers: its first frame with content
// (not the black start), cursor included, scaled down so that the longer side
// is at most `size` with the aspect kept. Only as much of the movie is
// unpacked as that frame needs.
#pragma once

#include <string>

// Throws platform::Exception saying what is wrong; writes nothing then.
void WriteThumbnail(const std::string& moviePath, const std::string& pngPath, int size);
