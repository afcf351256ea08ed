// Reads lines of text out of a part of a picture with Tesseract, Russian and
// English together. Interface fonts are 11 to 19 pixels high, below what the
// recognizer is trained on, so the part is read at twice its size, and
// light text on a dark ground is turned dark on light first.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "TextLine.h"

namespace tesseract {
class TessBaseAPI;
}

// A picture in grey, one byte a pixel, rows `stride` bytes apart.
struct TGrayPicture {
  const uint8_t* pixels = nullptr;
  int width = 0, height = 0;
  int stride = 0;
};

struct TReadLine {
  TTextBox box;  // in picture pixels
  std::string text;
};

class TTextRecognizer {
 public:
  // Throws platform::Exception when the recognizer or its Russian and
  // English models are not installed.
  TTextRecognizer();
  ~TTextRecognizer();
  TTextRecognizer(const TTextRecognizer&) = delete;
  TTextRecognizer& operator=(const TTextRecognizer&) = delete;

  // The lines in `area` of the picture, top to bottom; words the recognizer
  // is unsure of are left out.
  std::vector<TReadLine> Read(const TGrayPicture& picture, const TTextBox& area);

 private:
  std::unique_ptr<tesseract::TessBaseAPI> api_;
};
