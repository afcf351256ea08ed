// A line of text read off a movie's picture: where it stood and for which
// frames of its segment it stayed on screen unchanged.
#pragma once

#include <cstdint>
#include <string>

struct TTextBox {
  int x = 0, y = 0, width = 0, height = 0;
};

struct TTextLine {
  int segment = 0;          // from 0
  int32_t firstFrame = 0;   // from 0 in the segment; the line was whole on it
  int32_t lastFrame = 0;    // the last frame it stood unchanged, included
  TTextBox box;             // in picture pixels
  std::string text;         // UTF-8
};
