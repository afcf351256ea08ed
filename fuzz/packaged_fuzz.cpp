// A packaged movie from its trailer to its frames, the way the player opens
// one: trailer, temporary cabinet, extraction, reading, playing.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "CabIntf.h"
#include "CabSTComps.h"
#include "FuzzPlay.h"
#include "MovieExtraction.h"

namespace fs = std::filesystem;

namespace {

struct Workspace {
  std::string root;
  Workspace() {
    std::string folder = (fs::temp_directory_path() / "packaged-fuzz-XXXXXX").string();
    if (!::mkdtemp(folder.data())) std::abort();
    root = folder + "/";
    fs::create_directories(root + "temp");
    cabintf::SetLibraryFolders({EK_BUILD_FOLDER "/player/"});
  }
  ~Workspace() { fs::remove_all(root); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Workspace w;
  static TSTCabReader reader;
  std::ofstream(w.root + "movie.exe", std::ios::binary)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  TMovieExtraction extraction(w.root + "temp/", w.root + "temp/MyFilm.~ekflm");
  extraction.PackageRetry = std::chrono::milliseconds(0);
  std::string cabinet;
  try {
    (void)extraction.ExtractAndRead(w.root + "movie.exe", reader, cabinet,
                                    [](platform::TStream& movie) { fuzz::ReadAndPlay(movie); });
  } catch (const platform::Exception&) {
    // The stream layer's read error of a trailer that points past the file.
  }
  return 0;
}
