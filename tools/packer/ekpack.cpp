// Makes a packaged movie: the launcher, the cabinet behind it, and the
// cabinet's length in four little-endian bytes at the end.
//   ekpack [LAUNCHER] CABINET OUTPUT
#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "CodeFolders.h"
#include "PackagedMovie.h"

namespace {

constexpr const char* kUsage =
    "usage: ekpack [LAUNCHER] CABINET OUTPUT.exe\n"
    "Makes a packaged movie: the launcher, the cabinet movie behind it and the cabinet's length.\n"
    "Without LAUNCHER the installed ekcab_Exe is taken.\n";

bool Read(const char* path, std::vector<char>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 3 && argc != 4) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string launcherPath;
  if (argc == 4) {
    launcherPath = argv[1];
  } else if (const std::optional<std::string> installed =
                 platform::TrustedFile("ekcab_Exe", platform::CodeFolders(platform::TCodeOrigin::Installed))) {
    launcherPath = *installed;
  } else {
    std::fprintf(stderr, "ekpack: no installed launcher ekcab_Exe; name one\n");
    return 1;
  }
  const char* cabinetPath = argv[argc - 2];
  const char* outputPath = argv[argc - 1];
  std::vector<char> launcher, cabinet;
  if (!Read(launcherPath.c_str(), launcher) || !Read(cabinetPath, cabinet)) {
    std::fprintf(stderr, "ekpack: cannot read %s\n", launcher.empty() ? launcherPath.c_str() : cabinetPath);
    return 1;
  }
  const std::optional<std::array<uint8_t, 4>> trailer = PackagedTrailer(static_cast<int64_t>(cabinet.size()));
  if (!trailer) {
    std::fprintf(stderr, "ekpack: a cabinet of %zu bytes does not fit the four-byte length\n", cabinet.size());
    return 1;
  }
  if (!IsPackagedMovie(outputPath))
    std::fprintf(
        stderr,
        "ekpack: warning: %s does not end in .exe, and the player takes only such a file for a packaged movie\n",
        outputPath);
  std::ofstream out(outputPath, std::ios::binary | std::ios::trunc);
  out.write(launcher.data(), static_cast<std::streamsize>(launcher.size()));
  out.write(cabinet.data(), static_cast<std::streamsize>(cabinet.size()));
  out.write(reinterpret_cast<const char*>(trailer->data()), static_cast<std::streamsize>(trailer->size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "ekpack: cannot write %s\n", outputPath);
    return 1;
  }
  ::chmod(outputPath, 0755);
  return 0;
}
