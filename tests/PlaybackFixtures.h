// Movies from the writer loaded into a playback engine, and the pictures the
// engine must compose for them, worked out here independently of the player.
#pragma once

#include <memory>
#include <vector>

#include "MoviePlayback.h"
#include "MovieWriter.h"

namespace fixtures {

void LoadMovie(TMoviePlayback& playback, const std::vector<moviewriter::Segment>& segments);

// The source picture of frame k with the cursor recorded for it drawn on it
// (the last recorded cursor when the cursor stream is shorter). An 8-bit
// picture is compared by index, with white at index 255 and black at 0.
moviewriter::Picture ExpectedPicture(const moviewriter::Segment& segment, int frame);

// The composed picture of the engine as writer pixels.
moviewriter::Picture ComposedPicture(const TMoviePlayback& playback);

// A picture whose pixels all differ from their neighbours and change with seed.
moviewriter::Picture Pattern(int width, int height, int depth, int seed);

}  // namespace fixtures
