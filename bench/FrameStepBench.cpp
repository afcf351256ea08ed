// The frame step against one memcpy of the picture, measured in the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <tuple>

#include "ScreencastMovies.h"

namespace {

struct Loaded {
  TMoviePlayback playback;
};

Loaded& Movie(TScreencast kind, int width, int height, int depth) {
  static std::map<std::tuple<int, int, int, int>, std::unique_ptr<Loaded>> movies;
  auto& slot = movies[{static_cast<int>(kind), width, height, depth}];
  if (!slot) {
    slot = std::make_unique<Loaded>();
    // A worst-case frame of 1080p is 10 MB of runs: three fit the frame buffer.
    const int frames = kind == TScreencast::Typical || kind == TScreencast::Static ? 300
                       : kind == TScreencast::FullChange                           ? 30
                                                                                   : 3;
    slot->playback.AllocFrameBuffer(TMoviePlayback::FrameBufferSize);
    slot->playback.SegmentList.push_back(MakeScreencast(kind, width, height, depth, frames));
  }
  return *slot;
}

void FrameStep(benchmark::State& state, TScreencast kind) {
  const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
  const int depth = static_cast<int>(state.range(2));
  TMoviePlayback& playback = Movie(kind, width, height, depth).playback;
  playback.CurSegment = 0;
  playback.SetCurSegment();
  int64_t runs = 0;
  for (auto _ : state) {
    runs += *reinterpret_cast<const int32_t*>(playback.CurFrame + 4);
    playback.ComposePicture();
    if (playback.NextFrame() != result::AllRight) {
      state.PauseTiming();
      playback.SetCurSegment();
      state.ResumeTiming();
    }
  }
  state.counters["runs_per_frame"] = benchmark::Counter(static_cast<double>(runs) / state.iterations());
  state.counters["picture_bytes"] = static_cast<double>(playback.ShownPicture()->ByteSize());
}

void PictureMemcpy(benchmark::State& state) {
  const size_t width = static_cast<size_t>(state.range(0)), height = static_cast<size_t>(state.range(1));
  const size_t bytes = width * height * (state.range(2) == 8 ? 1 : 4);
  std::vector<uint8_t> from(bytes, 1), to(bytes, 0);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int depth : {32, 24, 8}) {
    b->Args({1920, 1080, depth});
    b->Args({769, 569, depth});
  }
  b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(PictureMemcpy)->Apply(Sizes);
BENCHMARK_CAPTURE(FrameStep, typical, TScreencast::Typical)->Apply(Sizes);
BENCHMARK_CAPTURE(FrameStep, static, TScreencast::Static)->Apply(Sizes);
BENCHMARK_CAPTURE(FrameStep, full_change, TScreencast::FullChange)->Apply(Sizes);
BENCHMARK_CAPTURE(FrameStep, worst_case, TScreencast::WorstCase)->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
