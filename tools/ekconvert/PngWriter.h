#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes 8-bit RGB without alpha; false when the file can't be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb, int compression);
