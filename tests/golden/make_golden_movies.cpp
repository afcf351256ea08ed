// Writes the frozen movies of tests/golden once: run it only to add a movie,
// then freeze the file and its checksums together (see GoldenFramesTest).
// Usage: ek_make_golden_movies FOLDER
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "MovieWriter.h"

namespace mw = moviewriter;

namespace {

// Flat areas that move, a patch of noise now and then, and frames that
// change nothing: what a recorded desktop looks like to the run coder.
mw::Segment Desktop(const std::string& name, int width, int height, uint8_t depth, int frames, uint32_t seed) {
  std::mt19937 random(seed);
  mw::Segment s;
  s.name = name;
  s.width = width;
  s.height = height;
  s.bitsPerPixel = depth;
  const uint32_t background = depth == 8 ? 3 : 0x3A6EA5;
  mw::Picture picture(width, height, background);
  for (int f = 0; f < frames; ++f) {
    if (f % 7 != 6) {
      const int left = static_cast<int>(random() % width), top = static_cast<int>(random() % height);
      const uint32_t colour = depth == 8 ? 1 + random() % 250 : random() & 0xFFFFFF;
      for (int y = top; y < std::min(height, top + height / 2); ++y)
        for (int x = left; x < std::min(width, left + width / 3); ++x) picture.at(x, y) = colour;
    }
    if (f % 9 == 4) {
      for (int y = 0; y < height / 3; ++y)
        for (int x = width / 2; x < width; ++x) picture.at(x, y) = depth == 8 ? random() % 256 : random() & 0xFFFFFF;
    }
    mw::Frame frame;
    frame.picture = picture;
    // Mostly inside, now and then across an edge or just beyond it.
    frame.cursor = {0, static_cast<uint16_t>(static_cast<int>(random() % (width + 8)) - 4),
                    static_cast<uint16_t>(static_cast<int>(random() % (height + 8)) - 4)};
    s.frames.push_back(std::move(frame));
  }
  return s;
}

std::vector<uint32_t> Ramp(int count, uint32_t step) {
  std::vector<uint32_t> colours;
  for (int i = 0; i < count; ++i) colours.push_back((static_cast<uint32_t>(i) * step) & 0xFFFFFF);
  return colours;
}

// 8 bits: rows padded to four bytes, colours that change in part and up to
// the table's last entry, and a segment that carries the colour table and
// the cursor of the one before it.
std::vector<mw::Segment> Palette8() {
  mw::Segment first = Desktop("Палитра", 61, 37, 8, 40, 1);
  first.shapes = {mw::ArrowShape()};
  first.frames[0].palette = {0, Ramp(256, 0x010203)};
  first.frames[10].palette = {16, Ramp(8, 0x00FF10)};
  first.frames[25].palette = {250, Ramp(6, 0x203040)};
  mw::Segment second = Desktop("carried", 33, 20, 8, 20, 2);
  second.shapes = {mw::ArrowShape()};
  second.cursorRecords = 5;
  second.frames[12].palette = {3, {0xFF0000, 0x00FF00}};
  return {first, second};
}

// 24 bits at an odd width, whose rows are padded, with plain and colour
// cursor shapes of every colour depth.
std::vector<mw::Segment> OddWidth24() {
  mw::Segment s = Desktop("odd width", 45, 29, 24, 30, 3);
  s.shapes = {mw::ArrowShape(), mw::ColourArrowShape(24), mw::ColourArrowShape(16), mw::ColourArrowShape(32)};
  for (size_t f = 0; f < s.frames.size(); ++f) s.frames[f].cursor.shape = static_cast<uint16_t>(f % 4);
  return {s};
}

// 32 bits in segments of other sizes and rates: a picture of one pixel, a
// wide thin one, and frames that change every pixel.
std::vector<mw::Segment> Segments32() {
  mw::Segment wide = Desktop("wide", 80, 50, 32, 25, 4);
  wide.shapes = {mw::ColourArrowShape(32)};
  for (int f = 3; f < 25; f += 8) {
    auto& pixels = wide.frames[static_cast<size_t>(f)].picture.pixels;
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
  }
  mw::Segment dot = Desktop("dot", 1, 1, 32, 3, 5);
  dot.frameRate = 1;
  dot.shapes = {mw::ArrowShape()};
  mw::Segment thin = Desktop("thin", 120, 8, 32, 10, 6);
  thin.frameRate = 25;
  thin.shapes = {mw::ArrowShape()};
  return {wide, dot, thin};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ek_make_golden_movies FOLDER\n");
    return 2;
  }
  const std::pair<const char*, std::vector<mw::Segment>> movies[] = {
      {"palette8", Palette8()}, {"oddwidth24", OddWidth24()}, {"segments32", Segments32()}};
  for (const auto& [name, segments] : movies) {
    const auto bytes = mw::WriteMovie(segments).bytes;
    std::ofstream(std::string(argv[1]) + "/" + name + ".~ekflm", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  return 0;
}
