// A place in a movie as a user names it on the command line: a frame number
// of the whole movie (from 1), or a time hh:mm:ss.zzz (hours and minutes may
// be left out) counted as the player counts it, each segment lasting its
// frames at its own rate.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "MoviePlayback.h"

struct TFramePoint {
  bool isTime = false;
  int64_t value = 0;  // a frame number from 1, or milliseconds
};

// None when the text is neither.
std::optional<TFramePoint> ParseFramePoint(const std::string& text);

// The frame (from 0, over the whole movie) shown at that point; none past the end.
std::optional<int64_t> FrameAt(const TMoviePlayback& playback, const TFramePoint& point);
