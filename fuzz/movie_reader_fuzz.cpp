// Arbitrary bytes as a movie file: refused, or played within its buffers.
#include <cstddef>
#include <cstdint>

#include "FuzzPlay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::TMemoryStream movie;
  movie.WriteBuffer(data, static_cast<int64_t>(size));
  fuzz::ReadAndPlay(movie);
  return 0;
}
