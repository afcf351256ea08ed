// What every movie target does with the bytes it reached: read the movie as
// the player reads it and compose a bounded number of frames of each segment.
#pragma once

#include <cstdint>

#include "Streams.h"

namespace fuzz {

// Damaged movies are refused with an exception of the program's own; any
// other outcome (a crash, a sanitizer report, a foreign exception) is a finding.
void ReadAndPlay(platform::TStream& movie);

}  // namespace fuzz
