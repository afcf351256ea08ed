// Arbitrary bytes as a damaged movie: rescue keeps what it can within the
// reader's limits, and what it writes is always a movie that the ordinary
// reader opens (playing what it opens is the movie targets' job; a frame
// buffer for each input too would outgrow the fuzzer's memory). The first
// two bytes place a stretch known to be lost (where, in 256ths of the
// movie, and 64 bytes times how long); the rest is the movie.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "MovieReader.h"
#include "MovieRescue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kPlacing = 2;
  if (size < kPlacing) return 0;
  const std::vector<uint8_t> bytes(data + kPlacing, data + size);
  const int64_t at = static_cast<int64_t>(bytes.size()) * data[0] / 256, length = int64_t{data[1]} * 64;
  TByteRanges lost;
  if (length > 0) lost.emplace_back(at, at + length);
  const TMovieRescue rescue = RescueMovie(bytes, lost);
  platform::TBorrowedMemoryStream written(rescue.Movie.data(), static_cast<int64_t>(rescue.Movie.size()));
  try {
    std::vector<std::unique_ptr<SegInfo>> segments;
    ReadMovie(written, segments);
  } catch (const EMovieDamaged& e) {
    std::fprintf(stderr, "the rescued movie is damaged: %s\n", e.what());
    std::abort();
  }
  return 0;
}
