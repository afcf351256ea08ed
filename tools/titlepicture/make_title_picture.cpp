// Draws the 440 × 224 title picture shown at the end of a movie and writes
// it, as JPEG bytes in a C++ source file, for the player to carry.
#include <cstdio>

#include "Jpeg.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_title_picture OUTPUT.cpp\n");
    return 2;
  }
  platform::RgbImage image{440, 224, std::vector<uint8_t>(440 * 224 * 3)};
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      uint8_t* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
      const bool frame = x < 6 || y < 6 || x >= image.width - 6 || y >= image.height - 6;
      // A film strip across the middle on a blue field.
      const bool strip = y > 80 && y < 144;
      const bool hole = strip && (y < 92 || y > 132) && (x % 24) < 12;
      p[0] = frame ? 230 : hole ? 240 : strip ? 30 : static_cast<uint8_t>(20 + y / 4);
      p[1] = frame ? 200 : hole ? 240 : strip ? 30 : static_cast<uint8_t>(60 + y / 3);
      p[2] = frame ? 60 : hole ? 240 : strip ? 30 : static_cast<uint8_t>(140 + y / 3);
    }
  }
  const std::vector<uint8_t> jpeg = platform::EncodeJpeg(image, 90);
  std::FILE* out = std::fopen(argv[1], "w");
  if (!out) return 1;
  std::fprintf(out, "#include \"TitlePicture.h\"\n\nconst unsigned char kTitlePicture[] = {");
  for (size_t i = 0; i < jpeg.size(); ++i) std::fprintf(out, "%s%u,", i % 20 ? "" : "\n", jpeg[i]);
  std::fprintf(out, "\n};\nconst unsigned long kTitlePictureSize = sizeof kTitlePicture;\n");
  return std::fclose(out) == 0 ? 0 : 1;
}
