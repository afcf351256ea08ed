// The one way to the bytes of a movie file, whatever wraps it: a bare movie
// file is read as it is; the movie file of a cabinet, a set of cabinets or a
// packaged movie is decompressed with libmspack. Only regular files are
// opened, never waiting on one, and nothing is written under any name.
// Either the movie's first bytes, as they decompress and only as far as the
// caller needs, or the whole movie file.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Streams.h"

struct TPrefixReading {
  bool enough = false;
  // The caller never had enough before `cap` bytes.
  bool capped = false;
  // Why else the caller never had enough: the file can't be read as a movie,
  // or its movie file ends early.
  std::string failure;
};

// The caller is asked with ever longer beginnings (each twice the last)
// whether it has enough: `enough` gets the bytes so far and whether they are
// the whole movie file; true ends the reading. At most `cap` bytes of movie
// are ever held.
TPrefixReading ReadMoviePrefix(const std::string& path, int64_t cap,
                               const std::function<bool(const std::vector<uint8_t>& bytes, bool complete)>& enough);

// The whole movie file, to be read from its start: a bare one itself, any
// other decompressed into a temporary file that has no name, so that nothing
// is left behind however the program ends. Throws platform::Exception with a
// message that says what is wrong.
std::unique_ptr<platform::TStream> OpenWholeMovie(const std::string& path);

// As much of the movie file as can be recovered from a damaged wrapping: a
// cabinet's damaged data blocks are decoded as far as they go and passed
// over, and a cut cabinet or set gives what it holds.
// Byte ranges [begin, end).
using TByteRanges = std::vector<std::pair<int64_t, int64_t>>;
// The ranges in order, empty ones left out, those that overlap or touch joined.
TByteRanges MergedRanges(TByteRanges ranges);

struct TSalvagedMovie {
  std::vector<uint8_t> bytes;
  // Byte ranges [begin, end) of the movie file that may be wrong or never
  // came, in order; the last may reach past `bytes`, to the length the
  // cabinet gives the movie file.
  TByteRanges lost;
  // Why the whole movie file did not come; empty when it did.
  std::string failure;
};
// At most `cap` bytes are held. A file that can't be read as a movie at all
// gives no bytes and says why.
TSalvagedMovie SalvageMovieFile(const std::string& path, int64_t cap);
// What salvage holds of a movie file, with what rescue keeps of it beside.
inline constexpr int64_t kSalvagedMovieBytes = int64_t{1} << 30;
