#pragma once

#include <cstdint>
#include <string>

// frames ÷ rate seconds as a time of day "hh:mm:ss.zzz", rounded to the
// millisecond; 24 hours or more wrap. Empty for a rate of 0.
std::string DurationText(int32_t frameCount, uint8_t frameRate);
