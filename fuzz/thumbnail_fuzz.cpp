// The thumbnailer on any file, as file managers run it on every download:
// bare movies, cabinets and packaged movies through its own quick reading.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>

#include "Exception.h"
#include "FuzzWorkspace.h"
#include "Thumbnail.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fuzz::TWorkspace w("thumbnail-fuzz");
  // The wrapping the thumbnailer would take the file for, by the name it is given.
  const bool cabinet = size >= 4 && std::memcmp(data, "MSCF", 4) == 0;
  const bool packaged = size >= 2 && std::memcmp(data, "MZ", 2) == 0;
  const std::string path = w.root + (cabinet ? "movie.ekcab" : packaged ? "movie.exe" : "MyFilm.~ekflm");
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  try {
    WriteThumbnail(path, w.root + "thumbnail.png", 64);
  } catch (const platform::Exception&) {}
  std::remove(path.c_str());
  return 0;
}
