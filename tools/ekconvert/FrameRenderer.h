// Plays a movie's segments frame by frame through the player's own frame
// step and hands each composed picture on as 8-bit RGB.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "MoviePlayback.h"

struct TRenderedFrame {
  int segment = 0;  // from 0
  int frame = 0;    // from 0
  int width = 0;
  int height = 0;
  const std::vector<uint8_t>* rgb = nullptr;  // 3 bytes a pixel, rows without padding
};

struct TRenderOptions {
  std::optional<int> segment;  // from 0; all segments when none
  bool cursor = true;
  // Frames of the whole movie, from 0, both included.
  int64_t first = 0;
  int64_t last = INT64_MAX;
};

// What the options take of one segment: how many frames, and the first of
// them, from 0 in the segment (meaningful when the count is not 0).
struct TSegmentTake {
  int64_t count = 0;
  int32_t first = 0;
};
// One for each segment, in one pass over the movie however many segments it has.
std::vector<TSegmentTake> FramesTaken(const TMoviePlayback& playback, const TRenderOptions& options);

// Puts the picture of frame `frame` of segment `segment` in place, checked as
// RenderFrames checks a segment.
void ComposeAt(TMoviePlayback& playback, const TRenderOptions& options, size_t segment, int32_t frame);

// The composed picture as 8-bit RGB, rows without padding.
void ToRgb(const TMoviePlayback& playback, std::vector<uint8_t>& rgb);

// Throws platform::Exception naming the segment for what can't be played.
void RenderFrames(TMoviePlayback& playback, const TRenderOptions& options,
                  const std::function<void(const TRenderedFrame&)>& onFrame);

// Frames per second a segment is converted at (10 for an unknown rate).
int ConversionRate(const SegInfo& segment);
