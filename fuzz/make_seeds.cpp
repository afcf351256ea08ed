// Writes the seed corpus of every target into OUTDIR/<target>/: movies from
// the movie writer, and cabinets and packaged movies of them made with gcab.
// Usage: fuzz_seeds OUTDIR
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "MovieWriter.h"

namespace fs = std::filesystem;
namespace mw = moviewriter;

namespace {

void Write(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Bytes(const std::vector<mw::Segment>& movie) {
  const auto bytes = mw::WriteMovie(movie).bytes;
  return {bytes.begin(), bytes.end()};
}

std::vector<mw::Segment> Small(uint8_t depth) {
  mw::Segment s;
  s.name = "seed";
  s.width = 17;
  s.height = 9;
  s.bitsPerPixel = depth;
  s.shapes = {mw::ArrowShape()};
  if (depth != 8) s.shapes.push_back(mw::ColourArrowShape(depth == 24 ? 24 : 16));
  for (int f = 0; f < 4; ++f) {
    mw::Picture p(s.width, s.height);
    for (size_t i = 0; i < p.pixels.size(); ++i)
      p.pixels[i] = static_cast<uint32_t>(i * 40503u * (f + 1)) & (depth == 8 ? 0xFF : 0xFFFFFF);
    mw::Frame frame{p, {static_cast<uint16_t>(f % 2), static_cast<uint16_t>(f * 3), 4}, {}};
    if (depth == 8 && f == 1) frame.palette = {250, {0x112233, 0x445566}};
    s.frames.push_back(frame);
  }
  return {s};
}

// A cabinet of the movie as "MyFilm.~ekflm", made with gcab.
std::string Cabinet(const fs::path& work, const std::string& movie, bool compress) {
  fs::create_directories(work);
  Write(work / "MyFilm.~ekflm", movie);
  const std::string command =
      "cd '" + work.string() + "' && gcab -c " + (compress ? "-z " : "") + "seed.cab MyFilm.~ekflm >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return {};
  return Read(work / "seed.cab");
}

std::string Packaged(const std::string& cabinet) {
  std::string bytes = "MZ" + cabinet;
  const uint32_t length = static_cast<uint32_t>(cabinet.size());
  for (int b = 0; b < 4; ++b) bytes += static_cast<char>(length >> (8 * b));
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds OUTDIR\n");
    return 2;
  }
  const fs::path out = argv[1];
  fs::remove_all(out);
  std::vector<std::pair<std::string, std::string>> movies = {{"demo", Bytes(mw::DemoMovie())},
                                                             {"depth8", Bytes(Small(8))},
                                                             {"depth24", Bytes(Small(24))},
                                                             {"depth32", Bytes(Small(32))},
                                                             {"empty", Bytes({})}};
  for (const auto& [name, bytes] : movies) {
    Write(out / "movie_reader_fuzz" / name, bytes);
    Write(out / "thumbnail_fuzz" / name, bytes);
    // Four bytes that choose the frames to go to, then the movie.
    Write(out / "seek_fuzz" / name, std::string("\x01\x07\x00\x03", 4) + bytes);
    // A stretch of 1 KiB lost in the middle, then the movie; and the movie cut at three quarters.
    Write(out / "rescue_fuzz" / name, std::string("\x80\x10", 2) + bytes);
    Write(out / "rescue_fuzz" / (name + "-cut"), std::string("\x00\x00", 2) + bytes.substr(0, bytes.size() * 3 / 4));
  }
  for (int depth = 0; depth < 3; ++depth) {
    Write(out / "movie_override_fuzz" / ("plain" + std::to_string(depth)), std::string(1, static_cast<char>(depth)));
    // The width of the first segment set to 2^29 and a hot spot at the end of its range.
    Write(out / "movie_override_fuzz" / ("sizes" + std::to_string(depth)),
          std::string(1, static_cast<char>(depth)) + std::string("\x02\x00\x00\x00\x20\x07\xff\xff\xff\x7f", 10));
  }
  int made = 0;
  for (const auto& [name, bytes] : movies) {
    for (const bool compress : {false, true}) {
      const std::string cabinet = Cabinet(out / "work", bytes, compress);
      if (cabinet.empty()) continue;
      const std::string kind = name + (compress ? "-mszip" : "-stored");
      Write(out / "fdi_fuzz" / kind, cabinet);
      Write(out / "cab_reader_fuzz" / kind, cabinet);
      Write(out / "packaged_fuzz" / kind, Packaged(cabinet));
      Write(out / "thumbnail_fuzz" / kind, cabinet);
      Write(out / "thumbnail_fuzz" / (kind + "-packaged"), Packaged(cabinet));
      ++made;
    }
  }
  fs::remove_all(out / "work");
  if (made == 0) {
    std::fprintf(stderr, "fuzz_seeds: gcab made no cabinet\n");
    return 1;
  }
  return 0;
}
