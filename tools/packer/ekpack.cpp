// Makes a packaged movie: the launcher, the cabinet behind it, and the
// cabinet's length in four little-endian bytes at the end.
//   ekpack LAUNCHER CABINET OUTPUT
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

bool Read(const char* path, std::vector<char>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: ekpack LAUNCHER CABINET OUTPUT\n");
    return 2;
  }
  std::vector<char> launcher, cabinet;
  if (!Read(argv[1], launcher) || !Read(argv[2], cabinet)) {
    std::fprintf(stderr, "ekpack: cannot read %s\n", launcher.empty() ? argv[1] : argv[2]);
    return 1;
  }
  if (cabinet.size() > INT32_MAX) {
    std::fprintf(stderr, "ekpack: a cabinet of %zu bytes does not fit the four-byte length\n", cabinet.size());
    return 1;
  }
  const uint32_t length = static_cast<uint32_t>(cabinet.size());
  const char trailer[4] = {static_cast<char>(length), static_cast<char>(length >> 8), static_cast<char>(length >> 16),
                           static_cast<char>(length >> 24)};
  std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
  out.write(launcher.data(), static_cast<std::streamsize>(launcher.size()));
  out.write(cabinet.data(), static_cast<std::streamsize>(cabinet.size()));
  out.write(trailer, 4);
  out.close();
  if (!out) {
    std::fprintf(stderr, "ekpack: cannot write %s\n", argv[3]);
    return 1;
  }
  ::chmod(argv[3], 0755);
  return 0;
}
