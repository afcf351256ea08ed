// Draws the pictures the player carries, the 440 × 224 title picture shown at
// the end of a movie and the 162 × 216 picture of the About box, and writes
// them as JPEG bytes in a C++ source file.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Jpeg.h"

namespace {

void Write(std::FILE* out, const char* name, const std::vector<uint8_t>& jpeg) {
  std::fprintf(out, "const unsigned char %s[] = {", name);
  for (size_t i = 0; i < jpeg.size(); ++i) std::fprintf(out, "%s%u,", i % 20 ? "" : "\n", jpeg[i]);
  std::fprintf(out, "\n};\nconst unsigned long %sSize = sizeof %s;\n", name, name);
}

// 440 × 224: a film strip across the middle on a blue field, in a gold frame.
platform::RgbImage TitlePicture() {
  platform::RgbImage image{440, 224, std::vector<uint8_t>(440 * 224 * 3)};
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      uint8_t* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
      const bool frame = x < 6 || y < 6 || x >= image.width - 6 || y >= image.height - 6;
      const bool strip = y > 80 && y < 144;
      const bool hole = strip && (y < 92 || y > 132) && (x % 24) < 12;
      p[0] = frame ? 230 : hole ? 240 : strip ? 30 : static_cast<uint8_t>(20 + y / 4);
      p[1] = frame ? 200 : hole ? 240 : strip ? 30 : static_cast<uint8_t>(60 + y / 3);
      p[2] = frame ? 60 : hole ? 240 : strip ? 30 : static_cast<uint8_t>(140 + y / 3);
    }
  }
  return image;
}

// 162 × 216 for the About box: a screen on a stand showing a play sign.
platform::RgbImage AboutPicture() {
  platform::RgbImage image{162, 216, std::vector<uint8_t>(162 * 216 * 3)};
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      uint8_t* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
      const bool bezel = x >= 16 && x < 146 && y >= 40 && y < 136;
      const bool screen = x >= 22 && x < 140 && y >= 46 && y < 130;
      const bool stand = (x >= 72 && x < 90 && y >= 136 && y < 160) || (x >= 46 && x < 116 && y >= 160 && y < 168);
      const int dx = x - 70, dy = y - 88;
      const bool play = screen && dx >= 0 && dx < 28 && 2 * std::abs(dy) <= 28 - dx;
      uint8_t r = static_cast<uint8_t>(200 + y / 8), g = static_cast<uint8_t>(210 + y / 10), b = 235;
      if (bezel || stand) r = g = b = 60;
      if (screen) r = 58, g = 110, b = 165;
      if (play) r = 40, g = 190, b = 60;
      p[0] = r;
      p[1] = g;
      p[2] = b;
    }
  }
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_title_picture OUTPUT.cpp\n");
    return 2;
  }
  std::FILE* out = std::fopen(argv[1], "w");
  if (!out) return 1;
  std::fprintf(out, "#include \"TitlePicture.h\"\n\n");
  Write(out, "kTitlePicture", platform::EncodeJpeg(TitlePicture(), 90));
  Write(out, "kAboutPicture", platform::EncodeJpeg(AboutPicture(), 90));
  return std::fclose(out) == 0 ? 0 : 1;
}
