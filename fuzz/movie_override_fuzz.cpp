// Valid movies of every depth with hostile values put into their fields:
// sizes, depths, counts, hot spots and cursor positions that whole-file
// mutation rarely reaches while keeping the rest of the file sound.
// Input: one byte choosing the movie, then records of one byte choosing the
// field and four bytes of the value (little-endian).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzPlay.h"
#include "MovieWriter.h"

namespace {

namespace mw = moviewriter;

struct Target {
  int64_t offset;
  int size;  // 1, 2 or 4 bytes
};

struct Seed {
  mw::Movie movie;
  std::vector<Target> targets;
};

Seed MakeSeed(uint8_t depth) {
  mw::Segment s;
  s.name = "seed";
  s.width = 37;
  s.height = 21;
  s.bitsPerPixel = depth;
  s.shapes = {mw::ArrowShape()};
  if (depth != 8) s.shapes.push_back(mw::ColourArrowShape(depth == 24 ? 24 : 32));
  for (int f = 0; f < 6; ++f) {
    mw::Picture p(s.width, s.height);
    for (size_t i = 0; i < p.pixels.size(); ++i) p.pixels[i] = static_cast<uint32_t>((i * 2654435761u) >> (f + 3));
    if (depth == 8)
      for (uint32_t& v : p.pixels) v &= 0xFF;
    mw::Frame frame{p, {static_cast<uint16_t>(f % s.shapes.size()), static_cast<uint16_t>(f * 7), 5}, {}};
    if (depth == 8 && f == 0) frame.palette = {10, {0x102030, 0x405060}};
    s.frames.push_back(frame);
  }
  Seed seed{mw::WriteMovie({s, s}), {}};
  for (int segment = 1; segment <= 2; ++segment) {
    const int64_t info = seed.movie.Find(segment, "segment information").offset;
    const int64_t shape = seed.movie.Find(segment, "cursor shape").offset;
    const int64_t cursors = seed.movie.Find(segment, "cursor stream").offset;
    const int64_t frames = seed.movie.Find(segment, "frame stream").offset;
    for (const Target t :
         {Target{info, 4}, Target{info + 4, 4}, Target{info + 8, 4}, Target{info + 12, 4}, Target{info + 16, 1},
          Target{info + 17, 4}, Target{info + 21, 1}, Target{shape, 4}, Target{shape + 4, 4}, Target{shape + 8, 4},
          Target{shape + 12, 4}, Target{shape + 16, 4}, Target{cursors, 2}, Target{cursors + 2, 2},
          Target{cursors + 4, 2}, Target{frames, 4}, Target{frames + 4, 4}, Target{frames + 8, 4}})
      seed.targets.push_back(t);
  }
  return seed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<Seed> seeds = {MakeSeed(8), MakeSeed(24), MakeSeed(32)};
  if (size < 1) return 0;
  const Seed& seed = seeds[data[0] % seeds.size()];
  std::vector<uint8_t> bytes = seed.movie.bytes;
  for (size_t at = 1; at + 5 <= size; at += 5) {
    const Target& t = seed.targets[data[at] % seed.targets.size()];
    for (int b = 0; b < t.size; ++b) bytes[static_cast<size_t>(t.offset + b)] = data[at + 1 + b];
  }
  platform::TMemoryStream movie;
  movie.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  fuzz::ReadAndPlay(movie);
  return 0;
}
