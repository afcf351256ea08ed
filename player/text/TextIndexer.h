// A loaded movie's text read into its cache: the segments recorded, the lines
// added as they are read, and what is read kept now and then, so that a
// reader of the cache finds it as it fills and a reading that is stopped is
// not all lost.
#pragma once

#include <cstdint>
#include <functional>

#include "MovieTextReader.h"
#include "TextCache.h"

// Everything the cache held before is forgotten. `onProgress` hears the
// frames read and the frames in all, now and then. The reading may take half
// the movie's playing time, and five minutes at least: a lesson takes a
// fifteenth of that; a movie that needs more throws.
void IndexMovieText(TMoviePlayback& playback, TTextCache& cache, const TReadArea& read,
                    const std::function<void(int64_t framesRead, int64_t frames)>& onProgress = {});
