// Reads the text of a loaded movie, segment by segment, as the frames play:
// a part of the picture is read once it has stood unchanged for about a
// second of the movie's time (and at a segment's end), and only the parts
// that changed since they were last read. A line is given once it changes
// or its segment ends, with the frames it stood on screen.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "MoviePlayback.h"
#include "TextLine.h"
#include "TextRecognizer.h"

// Reads the lines of an area of a grey picture (the recognizer, or a test's stand-in).
using TReadArea = std::function<std::vector<TReadLine>(const TGrayPicture& picture, const TTextBox& area)>;

struct TTextReading {
  TReadArea read;
  // Reading gives up past this moment: pictures that change all over every
  // second (noise, a hostile movie) would keep the recognizer busy for hours.
  std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
  std::function<void(const TTextLine&)> onLine;
  // Frames of the whole movie read so far, now and then.
  std::function<void(int64_t framesRead)> onProgress;
};

// Throws platform::Exception naming the segment for what can't be played,
// and when the deadline passes; the lines given before stand.
void ReadMovieText(TMoviePlayback& playback, const TTextReading& reading);

// An area of the composed picture in grey, one byte a pixel.
std::vector<uint8_t> GreyOfPicture(const TMoviePlayback& playback, const TTextBox& area);
