// What a rescue kept and lost, for people and for scripts.
#pragma once

#include <string>

#include "MovieRescue.h"

// One line a segment: its frames kept of those recorded, the frames lost
// with their times, from when pictures may be wrong, lost colours, a damaged
// cursor; then the segments passed over and the bytes lost.
std::string RescueReportText(const TMovieRescue& rescue);
std::string RescueReportJson(const TMovieRescue& rescue, const std::string& file, const std::string& output);
