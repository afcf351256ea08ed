// What the program knows of the screen. The program fills it from the window
// system at start; tests set it to the screen they need.
#pragma once

namespace platform {

struct ScreenMetrics {
  int width = 1024;
  int height = 768;
  int bitsPerPixel = 32;
  int cursorWidth = 32;   // SM_CXCURSOR
  int cursorHeight = 32;  // SM_CYCURSOR
};

const ScreenMetrics& Screen();
void SetScreen(const ScreenMetrics& metrics);

}  // namespace platform
