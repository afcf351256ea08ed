// The first bytes of a movie, without unpacking all of it: a bare movie file
// is read, the movie file of a cabinet, a set of cabinets or a packaged movie
// is decompressed, each only as far as the caller needs and never past a cap.
// The caller is asked with ever longer beginnings (each twice the last)
// whether it has enough. Nothing is written anywhere, and only regular files
// are opened, never waiting on one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TPrefixReading {
  bool enough = false;
  // Why the caller never had enough: the file can't be read as a movie, the
  // movie file is damaged, or its beginning that matters is longer than the cap.
  std::string failure;
};

// `enough` gets the bytes so far and whether they are the whole movie file;
// true ends the reading. At most `cap` bytes of movie are ever held.
TPrefixReading ReadMoviePrefix(const std::string& path, int64_t cap,
                               const std::function<bool(const std::vector<uint8_t>& bytes, bool complete)>& enough);
