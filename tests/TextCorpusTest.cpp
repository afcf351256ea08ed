// How much of the corpus's text a search finds: words drawn in Debian's
// interface fonts, read off the movie, each found at a moment it stood on
// screen and at its place.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "MovieReader.h"
#include "TextIndexer.h"
#include "Streams.h"
#include "TextCache.h"
#include "TextCacheFolder.h"
#include "TextCorpus.h"
#include "TextRecognizer.h"
#include "TextSearch.h"

namespace {

struct TTally {
  int words = 0, found = 0;
};

TEST(TextCorpus, WordsOfElevenPixelsAndMoreAreFoundWhereAndWhenTheyStood) {
  std::map<std::string, TTally> bySize;
  TTally large;
  TTextRecognizer recognizer;
  int movieNumber = 0;
  for (const std::string font : {"DejaVu Sans", "Liberation Serif"}) {
    const TCorpusMovie corpus = MakeCorpusMovie(font, {8, 11, 14});
    const moviewriter::Movie written = moviewriter::WriteMovie(corpus.segments);
    TMoviePlayback playback;
    ASSERT_EQ(playback.AllocFrameBuffer(TMoviePlayback::FrameBufferSize), result::AllRight);
    platform::TBorrowedMemoryStream stream(written.bytes.data(), static_cast<int64_t>(written.bytes.size()));
    ReadMovie(stream, playback.SegmentList);
    const std::string key = std::string(63, '0') + std::to_string(++movieNumber);
    TTextCache cache(TextCacheFolder(), key);
    IndexMovieText(playback, cache, [&](const TGrayPicture& p, const TTextBox& a) { return recognizer.Read(p, a); });
    for (const TCorpusWord& word : corpus.words) {
      bool found = false;
      for (const TTextLine& line : SearchCache(cache, QueryWords(word.text)))
        found |= FindsWord(line, word);
      TTally& t = bySize[font + " " + std::to_string(word.points) + " pt"];
      ++t.words;
      t.found += found;
      if (word.pixels >= 11) {
        ++large.words;
        large.found += found;
      }
      if (!found && word.pixels >= 11)
        std::printf("missed %s (%s %d pt, frames %d-%d)\n", word.text.c_str(), font.c_str(), word.points,
                    word.firstFrame, word.lastFrame);
    }
  }
  for (const auto& [name, t] : bySize) std::printf("%-28s %3d of %3d words\n", name.c_str(), t.found, t.words);
  EXPECT_GE(large.found * 100, large.words * 95) << large.found << " of " << large.words;
}

}  // namespace
