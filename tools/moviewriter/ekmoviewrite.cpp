// Writes the bundled demo movie, or a still test movie whose every frame is
// one known picture, with that picture as a PPM file to compare a screen with:
//   ekmoviewrite OUTPUT
//   ekmoviewrite --still WIDTH HEIGHT FRAMES OUTPUT PICTURE.ppm
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "MovieWriter.h"

namespace mw = moviewriter;

namespace {

bool Write(const std::string& path, const void* data, size_t size) {
  std::ofstream out(path, std::ios::binary);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) std::fprintf(stderr, "ekmoviewrite: cannot write %s\n", path.c_str());
  return static_cast<bool>(out);
}

// Every pixel differs from its neighbours, so that a picture found on a
// screen is found at one place only and a shift by one pixel shows.
mw::Picture StillPicture(int width, int height) {
  mw::Picture picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      picture.at(x, y) = ((x * 37 + y * 11) & 0xFF) << 16 | ((x * 5 + y * 53) & 0xFF) << 8 | ((x ^ y) * 29 & 0xFF);
  return picture;
}

int WriteStill(int width, int height, int frames, const std::string& movieFile, const std::string& ppmFile) {
  mw::Segment segment;
  segment.name = "Still";
  segment.width = width;
  segment.height = height;
  segment.frameRate = 5;
  const mw::Picture picture = StillPicture(width, height);
  for (int f = 0; f < frames; ++f) segment.frames.push_back({picture, {}, {}});
  const mw::Movie movie = mw::WriteMovie({segment});
  std::string ppm = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  for (const uint32_t p : picture.pixels) {
    ppm += static_cast<char>(p >> 16);
    ppm += static_cast<char>(p >> 8);
    ppm += static_cast<char>(p);
  }
  return Write(movieFile, movie.bytes.data(), movie.bytes.size()) && Write(ppmFile, ppm.data(), ppm.size()) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 7 && std::string(argv[1]) == "--still")
    return WriteStill(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), argv[5], argv[6]);
  if (argc != 2) {
    std::fprintf(stderr,
                 "usage: ekmoviewrite OUTPUT\n       ekmoviewrite --still WIDTH HEIGHT FRAMES OUTPUT PICTURE.ppm\n");
    return 2;
  }
  const mw::Movie movie = mw::WriteMovie(mw::DemoMovie());
  return Write(argv[1], movie.bytes.data(), movie.bytes.size()) ? 0 : 1;
}
