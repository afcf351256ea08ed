#include "DurationText.h"

#include <cmath>
#include <cstdio>

std::string DurationText(int32_t frameCount, uint8_t frameRate) {
  if (frameRate == 0) return {};
  constexpr int64_t kDay = 24LL * 60 * 60 * 1000;
  const double seconds = static_cast<double>(frameCount) / frameRate;
  int64_t ms = static_cast<int64_t>(std::llround(seconds * 1000.0)) % kDay;
  if (ms < 0) ms += kDay;
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", static_cast<int>(ms / 3600000),
                static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000));
  return text;
}
