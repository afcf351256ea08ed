// Writes the bundled demo movie: ekmoviewrite OUTPUT
#include <cstdio>
#include <fstream>

#include "MovieWriter.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ekmoviewrite OUTPUT\n");
    return 2;
  }
  const moviewriter::Movie movie = moviewriter::WriteMovie(moviewriter::DemoMovie());
  std::ofstream out(argv[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(movie.bytes.data()), static_cast<std::streamsize>(movie.bytes.size()));
  if (!out) {
    std::fprintf(stderr, "ekmoviewrite: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
