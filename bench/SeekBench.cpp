// Seeking in a one-hour screencast (1920 x 1080 x 32, five frames a second,
// one segment, busy half the time: a whole hour of the typical benchmark
// movie's activity would not fit the frame buffer): random seeks, a step back, the first seek after
// opening and the memory the index holds, against composing the same frames
// from the segment's start in the same run, as a player without the index must.
//   ek_seek_bench [FRAMES]   (18000 by default: one hour)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "PictureSnapshot.h"
#include "ScreencastMovies.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

struct Spread {
  double median, p99;
};

Spread Of(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return {v[v.size() / 2], v[std::min(v.size() - 1, v.size() * 99 / 100)]};
}

// Composing frames 0 .. frame from the black start.
double ComposeFromStart(TMoviePlayback& playback, int32_t frame) {
  playback.SetCurSegment();
  const auto begin = Clock::now();
  for (int32_t f = 0; f <= frame; ++f) {
    playback.ComposePicture();
    if (f < frame) playback.NextFrame();
  }
  return Milliseconds(begin);
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 18000;
  auto made = Clock::now();
  TMoviePlayback playback;
  playback.AllocFrameBuffer(TMoviePlayback::FrameBufferSize);
  playback.SegmentList.push_back(MakeScreencast(TScreencast::Lesson, 1920, 1080, 32, frames));
  std::printf("movie: %d frames of 1920 x 1080 x 32, %.1f MiB of frames, made in %.0f s\n", frames,
              playback.SegmentList[0]->SegStream->Size() / 1048576.0, Milliseconds(made) / 1000);
  std::mt19937 random(1);
  std::uniform_int_distribution<int32_t> anyFrame(1, frames - 1);

  // The first seek after opening: nothing is indexed yet. The segment's
  // activation (its frames copied, its pictures made) comes first either way.
  const int32_t far = frames - 1 - frames / 20;
  auto begin = Clock::now();
  playback.SetCurSegment();
  const double activation = Milliseconds(begin);
  begin = Clock::now();
  playback.SeekFrame(0, far);
  const double first = Milliseconds(begin);

  // The seeks that follow index the rest as they go: the slowest of them are
  // the ones into a stretch nothing has composed yet.
  std::vector<double> seeks, steps;
  for (int i = 0; i < 1000; ++i) {
    const int32_t target = anyFrame(random);
    begin = Clock::now();
    playback.SeekFrame(0, target);
    seeks.push_back(Milliseconds(begin));
  }
  for (int i = 0; i < 300; ++i) {
    const int32_t at = anyFrame(random);
    playback.SeekFrame(0, at);
    begin = Clock::now();
    playback.SeekFrame(0, at - 1);
    steps.push_back(Milliseconds(begin));
  }
  const size_t held = playback.SeekIndex.MemoryHeld();
  begin = Clock::now();
  const std::vector<uint8_t> code = EncodePicture(*playback.ShownPicture());
  std::printf("one snapshot: %.2f ms to take, %zu bytes\n", Milliseconds(begin), code.size());
  const size_t snapshots = playback.SeekIndex.SnapshotCount();

  // The baseline: the same kind of targets composed from the start.
  std::vector<double> baseline, baselineStep;
  for (int i = 0; i < 40; ++i) baseline.push_back(ComposeFromStart(playback, anyFrame(random)));
  const double baselineFirst = ComposeFromStart(playback, far);

  const double slowest = *std::max_element(seeks.begin(), seeks.end());
  const Spread seek = Of(seeks), step = Of(steps), base = Of(baseline);
  std::printf(
      "seek to a random frame: median %.2f ms, 99th percentile %.2f ms (baseline: composing from the "
      "segment's start, median %.1f ms, 99th percentile %.1f ms; ratio %.4f, %.4f)\n",
      seek.median, seek.p99, base.median, base.p99, seek.median / base.median, seek.p99 / base.p99);
  std::printf("slowest of the 1000 seeks: %.1f ms\n", slowest);
  std::printf("step back one frame: median %.2f ms, 99th percentile %.2f ms (baseline median %.1f ms, ratio %.4f)\n",
              step.median, step.p99, base.median, step.median / base.median);
  std::printf("first seek after opening, to frame %d: %.1f ms (baseline: composing to it %.1f ms, ratio %.2f)\n", far,
              first, baselineFirst, first / baselineFirst);
  std::printf("(activating the segment before either: %.1f ms)\n", activation);
  std::printf("memory held by the index: %.0f KiB in %zu snapshots (budget %.0f MiB; the picture is %.1f MiB)\n",
              held / 1024.0, snapshots, TSeekIndex::kDefaultBudget / 1048576.0,
              playback.ShownPicture()->ByteSize() / 1048576.0);
  return 0;
}
