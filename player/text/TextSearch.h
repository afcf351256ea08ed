// Searching the text caches: a query is a few words; a line matches when it
// holds every one of them, as a word or the beginning of one, whatever the
// case, ё taken for е; words of five letters and more also match words one
// letter apart, which the recognizer may have misread.
#pragma once

#include <string>
#include <vector>

#include "TextCache.h"
#include "TextLine.h"

// The query's words as the index folds them, in order, each once.
std::vector<std::string> QueryWords(const std::string& query);

// The lines of the cache that match every word.
std::vector<TTextLine> SearchCache(const TTextCache& cache, const std::vector<std::string>& words);

// What a search found in one movie's cache.
struct TMovieHits {
  bool read = false;  // the cache was there, sound and complete
  std::vector<TSegmentText> segments;
  std::vector<TTextLine> lines;
};

// Searches the caches of many movies, a thread for each processor, in the
// order of the keys.
std::vector<TMovieHits> SearchCaches(const std::string& folder, const std::vector<std::string>& keys,
                                     const std::vector<std::string>& words);
