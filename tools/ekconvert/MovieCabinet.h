// A movie written as a cabinet holding its movie file, as the player opens it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// MSZIP-compressed, with libgcab. The file at `path` is replaced whole or not
// at all. Throws platform::Exception with a message that says what is wrong.
void WriteMovieCabinet(const std::string& path, const std::vector<uint8_t>& movie);
