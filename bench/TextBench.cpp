// The text on the pictures: how much of the corpus a search finds, by font
// and size; what reading a one-hour 1080p lesson costs beside composing its
// every frame; and how long a search over a hundred hours of read movies takes.
// Usage: ek_text_bench [MINUTES_OF_LESSON]
#include <QGuiApplication>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "BenchSteps.h"
#include "MovieReader.h"
#include "MovieKey.h"
#include "TextIndexer.h"
#include "TextLesson.h"
#include "Streams.h"
#include "TextCache.h"
#include "TextCacheFolder.h"
#include "TextCorpus.h"
#include "TextRecognizer.h"
#include "TextSearch.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Peak resident memory of the process so far, in MiB.
double PeakMiB() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

void ReadInto(TTextCache& cache, TMoviePlayback& playback, TTextRecognizer& recognizer) {
  IndexMovieText(playback, cache, [&](const TGrayPicture& p, const TTextBox& a) { return recognizer.Read(p, a); });
}

void RecallTable(TTextRecognizer& recognizer) {
  std::printf("text recall by font and size (words found by search at a moment they stood, over them):\n");
  std::printf("%-18s", "font");
  for (const int points : CorpusPoints()) std::printf(" %2d pt/%2d px", points, points * 96 / 72);
  std::printf("\n");
  int words = 0, found = 0, allWords = 0, allFound = 0, key = 0;
  for (const std::string& font : CorpusFonts()) {
    const TCorpusMovie corpus = MakeCorpusMovie(font, CorpusPoints());
    const auto bytes = moviewriter::WriteMovie(corpus.segments).bytes;
    TMoviePlayback playback;
    (void)playback.AllocFrameBuffer(TMoviePlayback::FrameBufferSize);
    platform::TBorrowedMemoryStream stream(bytes.data(), static_cast<int64_t>(bytes.size()));
    ReadMovie(stream, playback.SegmentList);
    TTextCache cache(TextCacheFolder(), std::string(60, 'c') + std::to_string(1000 + ++key));
    ReadInto(cache, playback, recognizer);
    std::map<int, std::pair<int, int>> bySize;
    for (const TCorpusWord& w : corpus.words) {
      bool hit = false;
      for (const TTextLine& line : SearchCache(cache, QueryWords(w.text)))
        hit |= FindsWord(line, w);
      bySize[w.points].first += hit;
      ++bySize[w.points].second;
      allFound += hit;
      ++allWords;
      if (w.pixels >= 11) {
        found += hit;
        ++words;
      }
    }
    std::printf("%-18s", font.c_str());
    for (const auto& [points, tally] : bySize) std::printf("   %3d/%3d  ", tally.first, tally.second);
    std::printf("\n");
  }
  std::printf("text recall, words of 11 px and more: %.1f %% (%d of %d); all sizes %.1f %% (%d of %d)\n",
              100.0 * found / words, found, words, 100.0 * allFound / allWords, allFound, allWords);
}

void ReadingCost(TTextRecognizer& recognizer, int minutes) {
  TMoviePlayback playback;
  (void)playback.AllocFrameBuffer(TMoviePlayback::FrameBufferSize);
  playback.SegmentList.push_back(MakeTextLesson(1920, 1080, minutes * 60 * 5));
  playback.DrawsCursor = false;
  // The baseline: every frame composed, as playing the movie through does.
  auto start = Clock::now();
  (void)playback.SeekFrame(0, 0);
  while (playback.NextFrame() == result::AllRight) playback.ComposePicture();
  const double compose = Since(start);
  const double before = PeakMiB();
  TTextCache cache(TextCacheFolder(), std::string(64, 'e'));
  start = Clock::now();
  ReadInto(cache, playback, recognizer);
  const double read = Since(start);
  std::printf("text reading, %d min lesson 1920 x 1080: %.1f s (baseline: composing every frame %.2f s, ratio %.0f), "
              "%zu lines, %.1f min for an hour (goal 10), memory %.0f MiB above the movie's (goal 300)\n",
              minutes, read, compose, read / compose, cache.Lines().size(), read / minutes, PeakMiB() - before);
}

// A hundred one-hour movies of lines: one line of five to eight words every
// two seconds, the words drawn from thousands, some far more often than others.
void SearchCost() {
  const std::string folder = TextCacheFolder();
  std::mt19937 random(7);
  const std::string latin = "abcdefghijklmnopqrstuvwxyz";
  const std::vector<std::string> cyrillic = {"а", "б", "в", "г", "д", "е", "ж", "з", "и", "к", "л", "м", "н", "о",
                                             "п", "р", "с", "т", "у", "ф", "х", "ц", "ч", "ш", "ы", "я"};
  std::vector<std::string> vocabulary = {"настройки", "печати", "документ", "параметры", "print", "settings", "window"};
  while (vocabulary.size() < 5000) {
    std::string word;
    const bool russian = random() % 2;
    for (int n = 3 + static_cast<int>(random() % 8); n > 0; --n)
      word += russian ? cyrillic[random() % cyrillic.size()] : std::string(1, latin[random() % latin.size()]);
    vocabulary.push_back(word);
  }
  // Zipf-like: the first words of the list come up most.
  std::uniform_real_distribution<double> unit(0, 1);
  auto anyWord = [&] { return vocabulary[static_cast<size_t>(vocabulary.size() * std::pow(unit(random), 3))]; };
  std::vector<std::string> keys;
  for (int m = 0; m < 100; ++m) {
    keys.push_back(std::string(60, 'f') + std::to_string(1000 + m));
    TTextCache cache(folder, keys.back());
    cache.Begin({{"Урок", 5, 18000, 1920, 1080}});
    for (int32_t frame = 0; frame < 18000; frame += 10) {
      std::string text;
      for (int w = 0, n = 5 + static_cast<int>(random() % 4); w < n; ++w) {
        if (w) text += ' ';
        text += anyWord();
      }
      cache.Add({0, frame, frame + 9, {100, 100 + frame % 900, 600, 16}, text});
    }
    cache.Commit(18000, true);
  }
  const double opening = MedianSeconds(5, [&] {
    for (const std::string& key : keys) (void)TTextCache::OpenToRead(folder, key);
  });
  std::printf("text search: opening the 100 caches %.1f ms\n", opening * 1000);
  const std::string rare = vocabulary[4000], misread = "парамеры";
  for (const std::string& query : {std::string("печати"), std::string("настройки печати"), rare, misread,
                                   std::string("win")}) {
    int hits = 0;
    const double seconds = MedianSeconds(5, [&] {
      hits = 0;
      for (const TMovieHits& movie : SearchCaches(folder, keys, QueryWords(query)))
        hits += static_cast<int>(movie.lines.size());
    });
    std::printf("text search over 100 hours (100 movies, 180,000 lines) for \"%s\": %.1f ms, %d lines (goal: 50 ms)\n",
                query.c_str(), seconds * 1000, hits);
  }
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const int minutes = argc > 1 ? std::atoi(argv[1]) : 60;
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  char cacheFolder[] = "/tmp/ek_text_bench_cache.XXXXXX";
  if (!::mkdtemp(cacheFolder)) return 1;
  ::setenv("XDG_CACHE_HOME", cacheFolder, 1);
  TTextRecognizer recognizer;
  // Reading first: the peak memory before it is the movie's and the composing's alone.
  if (minutes > 0) ReadingCost(recognizer, minutes);
  if (minutes > 0) RecallTable(recognizer);
  SearchCost();
  std::filesystem::remove_all(cacheFolder);
  return 0;
}
