// The cabinet reader on hostile cabinets, with real files: nothing may be
// written outside the destination folder, no link planted there may be
// followed, and no descriptor may stay open.
#include <dirent.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "CabSTComps.h"
#include "FuzzWorkspace.h"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Broken(const std::string& what) {
  std::fprintf(stderr, "cabinet reader: %s\n", what.c_str());
  std::abort();
}

int OpenDescriptors() {
  int count = 0;
  DIR* dir = ::opendir("/proc/self/fd");
  while (dir && ::readdir(dir)) ++count;
  if (dir) ::closedir(dir);
  return count;
}

// The destination inside the workspace, and a file beside it that a followed link would change.
struct Workspace : fuzz::TWorkspace {
  Workspace() : TWorkspace("cab-reader-fuzz"), destination(root + "out/"), sentinel(root + "sentinel") {}
  std::string destination, sentinel;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Workspace w;
  static TSTCabReader reader;
  fs::remove_all(w.destination);
  fs::create_directories(w.destination);
  std::ofstream(w.sentinel) << "untouched";
  // Links planted where a hostile name would go: they must be replaced, not followed.
  for (const char* name : {"x", "a", "MyFilm.~ekflm", "test1.txt"})
    fs::create_symlink(w.sentinel, w.destination + name);
  std::ofstream(w.root + "input.cab", std::ios::binary)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  reader.ReservedNames = {"MyFilm.~ekflm", "temp.ekcab"};
  const int before = OpenDescriptors();
  try {
    reader.ExtractFiles(w.root + "input.cab", w.destination);
  } catch (const platform::Exception&) {}
  if (OpenDescriptors() != before) Broken("a descriptor left open");
  std::string sentinel;
  std::getline(std::ifstream(w.sentinel), sentinel);
  if (sentinel != "untouched") Broken("a planted link was followed");
  for (const auto& entry : fs::directory_iterator(w.root)) {
    const std::string name = entry.path().filename().string();
    if (name != "out" && name != "sentinel" && name != "input.cab") Broken("written outside the destination: " + name);
  }
  return 0;
}
