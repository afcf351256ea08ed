// Movies for the benchmarks, made frame by frame with the movie writer's
// encoder so that no more than two pictures are held at a time.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "MoviePlayback.h"
#include "MovieWriter.h"

enum class TScreencast {
  Typical,     // a desktop with typing, a blinking caret, a dragged dialog, the moving cursor, two switches
  Static,      // the same desktop standing still but for the blinking caret and the moving cursor
  Lesson,      // the typical desktop busy half the time, in bursts, and still but for the caret and cursor between
  FullChange,  // every pixel changes every frame, in long runs
  WorstCase,   // every pixel changes every frame, every run one pixel
};

// A segment of 32 × 32 arrow cursors moving and `frames` frames at 5 a
// second, each drawn over the last one's picture by `draw`; ready to be played.
std::unique_ptr<SegInfo> MakeDrawnSegment(int width, int height, int depth, int frames,
                                          const std::function<void(moviewriter::Picture&, int frame)>& draw);

// A segment of `frames` frames of the kind, ready to be played.
std::unique_ptr<SegInfo> MakeScreencast(TScreencast kind, int width, int height, int depth, int frames);

// A movie file of segments of the kind at 32 bits, written straight from memory.
void WriteScreencastMovie(const std::string& path, TScreencast kind, int width, int height, int frames,
                          int segments);
