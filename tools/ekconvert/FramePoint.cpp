#include "FramePoint.h"

#include <cstdlib>

#include "FrameRenderer.h"

namespace {

std::optional<int64_t> Digits(const std::string& text, size_t most) {
  if (text.empty() || text.size() > most || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  return std::strtoll(text.c_str(), nullptr, 10);
}

}  // namespace

std::optional<TFramePoint> ParseFramePoint(const std::string& text) {
  if (text.find_first_of(":.") == std::string::npos) {
    const auto frame = Digits(text, 10);
    if (!frame || *frame < 1) return std::nullopt;
    return TFramePoint{false, *frame};
  }
  // [[hh:]mm:]ss[.zzz]
  std::string rest = text;
  int64_t milliseconds = 0;
  if (const size_t dot = rest.find('.'); dot != std::string::npos) {
    const std::string fraction = rest.substr(dot + 1);
    const auto digits = Digits(fraction, 3);
    if (!digits) return std::nullopt;
    milliseconds = *digits * (fraction.size() == 1 ? 100 : fraction.size() == 2 ? 10 : 1);
    rest.resize(dot);
  }
  int64_t seconds = 0;
  int parts = 0;
  size_t begin = 0;
  while (true) {
    const size_t colon = rest.find(':', begin);
    const auto part = Digits(rest.substr(begin, colon == std::string::npos ? std::string::npos : colon - begin), 6);
    if (!part || ++parts > 3 || (parts > 1 && *part >= 60)) return std::nullopt;
    seconds = seconds * 60 + *part;
    if (colon == std::string::npos) break;
    begin = colon + 1;
  }
  return TFramePoint{true, seconds * 1000 + milliseconds};
}

std::optional<int64_t> FrameAt(const TMoviePlayback& playback, const TFramePoint& point) {
  if (!point.isTime) {
    if (point.value > playback.TotalFrames()) return std::nullopt;
    return point.value - 1;
  }
  int64_t before = 0;  // frames of the segments already passed
  int64_t milliseconds = point.value;
  for (const auto& segment : playback.SegmentList) {
    const int64_t rate = ConversionRate(*segment);
    // Frame k is shown from k / rate seconds on.
    const int64_t frame = milliseconds * rate / 1000;
    if (frame < segment->FrameCount) return before + frame;
    milliseconds -= int64_t{segment->FrameCount} * 1000 / rate;
    before += segment->FrameCount;
  }
  return std::nullopt;
}
