// Movies from the writer loaded into a playback engine, and the pictures the
// engine must compose for them, worked out here independently of the player.
#pragma once

#include <cstdint>
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

// The composed picture's pixels (not its row padding) and, when asked, at 8
// bits its colour table: FNV-1a, the same on every machine.
uint64_t PictureChecksum(const TMoviePlayback& playback, bool withColours);

// Every frame of a movie file as playing it from its start composes it: the
// checksum of each composed picture, cursor included, and with `withColours`
// of its colour table at 8 bits; without `withCursor` of the pictures alone.
// One list a segment.
std::vector<std::vector<uint64_t>> FrameChecksums(const std::vector<uint8_t>& movie, bool withColours,
                                                  bool withCursor = true);

// Where the writer put a segment's block, its frame stream and the end of
// each frame record, worked out from the writer alone.
struct TWrittenSegment {
  int64_t start = 0, framesStart = 0;
  std::vector<int64_t> recordEnds;
};
std::vector<TWrittenSegment> WrittenLayout(const std::vector<moviewriter::Segment>& segments,
                                           const moviewriter::Movie& movie);

// A picture whose pixels all differ from their neighbours and change with seed.
moviewriter::Picture Pattern(int width, int height, int depth, int seed);

}  // namespace fixtures
