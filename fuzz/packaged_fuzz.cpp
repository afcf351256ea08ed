// A packaged movie from its trailer to its frames, the way the player opens
// one: trailer, temporary cabinet, extraction, reading, playing.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "CabSTComps.h"
#include "FuzzPlay.h"
#include "FuzzWorkspace.h"
#include "MovieExtraction.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fuzz::TWorkspace w("packaged-fuzz");
  static TSTCabReader reader;
  std::ofstream(w.root + "movie.exe", std::ios::binary)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  TMovieExtraction extraction(w.root, w.root + "MyFilm.~ekflm");
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
