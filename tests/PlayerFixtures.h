// A movie from the writer loaded into the main window the way opening loads
// it once the movie file is extracted.
#pragma once

#include <vector>

#include "MovieWriter.h"
#include "Streams.h"
#include "ekLensaPlayerImpl1.h"

namespace fixtures {

inline void LoadIntoPlayer(TekLensaPlayer& player, const std::vector<moviewriter::Segment>& movie) {
  const moviewriter::Movie written = moviewriter::WriteMovie(movie);
  platform::TMemoryStream stream;
  stream.WriteBuffer(written.bytes.data(), static_cast<int64_t>(written.bytes.size()));
  player.LoadMovieFile(stream);
}

}  // namespace fixtures
