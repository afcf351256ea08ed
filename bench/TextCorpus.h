// Movies of known text for measuring how well the text is read: words drawn
// with Qt in Debian's interface fonts at 96 dots an inch, Russian and
// English, dark on light and light on dark, in a dialog, a document and an
// editor panel; the text appears, is typed and scrolls. Every word drawn is
// recorded with its box and the frames it stood whole on screen. Needs a
// QGuiApplication.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MovieWriter.h"
#include "TextLine.h"

struct TCorpusWord {
  std::string text;  // UTF-8
  std::string font;
  int points = 0;
  int pixels = 0;    // the font's size in whole pixels at 96 dots an inch
  bool lightOnDark = false;
  int segment = 0;   // from 0
  int32_t firstFrame = 0, lastFrame = 0;  // both included
  TTextBox box;
};

struct TCorpusMovie {
  std::vector<moviewriter::Segment> segments;
  std::vector<TCorpusWord> words;
};

// One segment for each size, every one in `font`; `frameRate` frames a second.
TCorpusMovie MakeCorpusMovie(const std::string& font, const std::vector<int>& points, int frameRate = 5);

// A line a search gave finds the word when it is of the word's segment, came
// on screen while the word stood there and covers half the word's box at least.
bool FindsWord(const TTextLine& line, const TCorpusWord& word);

// The fonts and sizes the corpus is made of.
std::vector<std::string> CorpusFonts();
std::vector<int> CorpusPoints();
