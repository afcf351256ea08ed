#include "TextIndexer.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr int64_t kFramesBetweenCommits = 1024;
constexpr std::chrono::seconds kLeastReadingTime{300};

std::chrono::steady_clock::duration ReadingTimeAllowed(const TMoviePlayback& playback) {
  double seconds = 0;
  for (const auto& s : playback.SegmentList) seconds += static_cast<double>(s->FrameCount) / KnownFrameRate(s->FrameRate);
  return std::max<std::chrono::steady_clock::duration>(
      kLeastReadingTime, std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                             std::chrono::duration<double>(seconds / 2)));
}

}  // namespace

void IndexMovieText(TMoviePlayback& playback, TTextCache& cache, const TReadArea& read,
                    const std::function<void(int64_t framesRead, int64_t frames)>& onProgress) {
  std::vector<TSegmentText> segments;
  for (const auto& s : playback.SegmentList) segments.push_back({s->Name.Utf8(), s->FrameRate, s->FrameCount, s->Width, s->Height});
  const int64_t total = playback.TotalFrames();
  cache.Begin(segments);
  int64_t committed = 0;
  TTextReading reading;
  reading.read = read;
  reading.deadline = std::chrono::steady_clock::now() + ReadingTimeAllowed(playback);
  reading.onLine = [&](const TTextLine& line) { cache.Add(line); };
  reading.onProgress = [&](int64_t framesRead) {
    if (framesRead - committed >= kFramesBetweenCommits) {
      cache.Commit(framesRead, false);
      committed = framesRead;
    }
    if (onProgress) onProgress(framesRead, total);
  };
  ReadMovieText(playback, reading);
  cache.Commit(total, true);
}
