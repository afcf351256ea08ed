#include "TextRecognizer.h"

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>

#include <algorithm>

#include "Exception.h"

// From the OpenMP runtime the recognizer is built with.
extern "C" void omp_set_max_active_levels(int levels);

namespace {

// Words read with less confidence than this are mostly pieces of icons,
// borders and cut letters.
constexpr float kLeastConfidence = 45.0f;
// The picture is read at twice its size, as if at 192 dots an inch.
constexpr int kScale = 2;

struct TPixFree {
  void operator()(Pix* pix) const { pixDestroy(&pix); }
};
using TPixHolder = std::unique_ptr<Pix, TPixFree>;

// The area as a grey Pix, dark text on a light ground.
TPixHolder GreyArea(const TGrayPicture& picture, const TTextBox& area) {
  TPixHolder pix(pixCreate(area.width, area.height, 8));
  if (!pix) throw platform::Exception("out of memory for the recognizer's picture");
  uint64_t sum = 0;
  for (int y = 0; y < area.height; ++y) {
    const uint8_t* row = picture.pixels + static_cast<size_t>(area.y + y) * picture.stride + area.x;
    for (int x = 0; x < area.width; ++x) sum += row[x];
  }
  const bool invert = sum < static_cast<uint64_t>(area.width) * area.height * 128;
  l_uint32* data = pixGetData(pix.get());
  const int wpl = pixGetWpl(pix.get());
  for (int y = 0; y < area.height; ++y) {
    const uint8_t* row = picture.pixels + static_cast<size_t>(area.y + y) * picture.stride + area.x;
    l_uint32* line = data + static_cast<ptrdiff_t>(y) * wpl;
    for (int x = 0; x < area.width; ++x) SET_DATA_BYTE(line, x, invert ? 255 - row[x] : row[x]);
  }
  return pix;
}

struct TTextDelete {
  void operator()(char* text) const { delete[] text; }
};

}  // namespace

TTextRecognizer::TTextRecognizer() : api_(std::make_unique<tesseract::TessBaseAPI>()) {
  // The recognizer splits each line over threads that spend more time
  // waiting for each other than reading, five times the time of one thread
  // here: pictures are read one thread each, and the reading goes on beside
  // playing, never in its way.
  omp_set_max_active_levels(0);
  // Leptonica reports pictures it can't use on the standard error; the
  // recognizer's answer says the same.
  setMsgSeverity(L_SEVERITY_NONE);
  // The recognizer's complaints about pictures go nowhere; what it read is the answer.
  api_->SetVariable("debug_file", "/dev/null");
  if (api_->Init(nullptr, "rus+eng", tesseract::OEM_LSTM_ONLY) != 0)
    throw platform::Exception(
        "the text recognizer can't start: Tesseract's Russian and English models (tesseract-ocr-rus, "
        "tesseract-ocr-eng) are not installed");
  api_->SetPageSegMode(tesseract::PSM_SPARSE_TEXT);
}

TTextRecognizer::~TTextRecognizer() { api_->End(); }

std::vector<TReadLine> TTextRecognizer::Read(const TGrayPicture& picture, const TTextBox& asked) {
  TTextBox area = asked;
  area.x = std::clamp(area.x, 0, picture.width);
  area.y = std::clamp(area.y, 0, picture.height);
  area.width = std::min(area.width, picture.width - area.x);
  area.height = std::min(area.height, picture.height - area.y);
  // Smaller than a letter: nothing to read.
  if (area.width < 4 || area.height < 6) return {};
  const TPixHolder grey = GreyArea(picture, area);
  const TPixHolder scaled(pixScaleGray2xLI(grey.get()));
  if (!scaled) throw platform::Exception("out of memory for the recognizer's picture");
  api_->SetImage(scaled.get());
  api_->SetSourceResolution(96 * kScale);
  std::vector<TReadLine> lines;
  if (api_->Recognize(nullptr) != 0) return lines;
  std::unique_ptr<tesseract::ResultIterator> it(api_->GetIterator());
  if (!it) return lines;
  TReadLine line;
  int left = 0, top = 0, right = 0, bottom = 0;
  auto closeLine = [&] {
    if (!line.text.empty()) {
      line.box = {area.x + left / kScale, area.y + top / kScale, (right - left + kScale - 1) / kScale,
                  (bottom - top + kScale - 1) / kScale};
      lines.push_back(std::move(line));
    }
    line = TReadLine{};
  };
  do {
    if (it->Empty(tesseract::RIL_WORD)) continue;
    if (it->IsAtBeginningOf(tesseract::RIL_TEXTLINE)) closeLine();
    const std::unique_ptr<char[], TTextDelete> word(it->GetUTF8Text(tesseract::RIL_WORD));
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    if (word && word[0] && it->Confidence(tesseract::RIL_WORD) >= kLeastConfidence &&
        it->BoundingBox(tesseract::RIL_WORD, &x0, &y0, &x1, &y1)) {
      if (line.text.empty()) {
        left = x0, top = y0, right = x1, bottom = y1;
      } else {
        line.text += ' ';
        left = std::min(left, x0), top = std::min(top, y0), right = std::max(right, x1), bottom = std::max(bottom, y1);
      }
      line.text += word.get();
    }
  } while (it->Next(tesseract::RIL_WORD));
  closeLine();
  return lines;
}
