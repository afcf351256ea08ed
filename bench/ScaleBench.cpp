// How the costs grow: the frame step (at 32 and 8 bits) and a seek from
// 640 x 480 to 3840 x 2160, and loading, extraction and a seek from one
// minute to two hours, each with its baseline measured in the same run,
// printed as two tables.
//   ek_scale_bench BUILD_FOLDER
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "BenchSteps.h"
#include "CabIntf.h"
#include "ScreencastMovies.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// value (baseline, ratio), in microseconds or milliseconds as they fit.
std::string Cell(double value, double baseline) {
  const bool small = baseline < 1e-2;
  const double scale = small ? 1e6 : 1e3;
  char text[64];
  std::snprintf(text, sizeof text, "%.1f %s (%.1f, %.3f)", value * scale, small ? "us" : "ms", baseline * scale,
                value / baseline);
  return text;
}

// The median random seek, and composing from the segment's start to the same
// frames as a player without the index must.
std::pair<double, double> Seeks(TMoviePlayback& playback, int frames) {
  std::mt19937 random(1);
  std::uniform_int_distribution<int32_t> anyFrame(1, frames - 1);
  playback.SetCurSegment();
  const double seek = MedianSeconds(200, [&] { playback.SeekFrame(0, anyFrame(random)); });
  const double fromStart = MedianSeconds(9, [&] {
    playback.SetCurSegment();
    const int32_t target = anyFrame(random);
    for (int32_t f = 0; f <= target; ++f) {
      playback.ComposePicture();
      if (f < target) playback.NextFrame();
    }
  });
  return {seek, fromStart};
}

// The median frame step over three passes of a minute of the typical
// screencast at that size and depth, the playback left at its start.
double MedianStep(TMoviePlayback& playback, int width, int height, int depth, int frames) {
  playback.AllocFrameBuffer(TMoviePlayback::FrameBufferSize);
  playback.SegmentList.push_back(MakeScreencast(TScreencast::Typical, width, height, depth, frames));
  std::vector<double> steps;
  for (int pass = 0; pass < 3; ++pass) {
    playback.SetCurSegment();
    do {
      const auto begin = Clock::now();
      playback.ComposePicture();
      steps.push_back(Seconds(begin));
    } while (playback.NextFrame() == result::AllRight);
  }
  playback.SetCurSegment();
  std::sort(steps.begin(), steps.end());
  return steps[steps.size() / 2];
}

void SizeTable() {
  std::printf("%-12s | %-36s | %-36s | %-36s\n", "size, 1 min", "frame step (memcpy of the picture)",
              "8-bit frame step (32-bit step)", "seek (composing from the start)");
  for (const auto& [width, height] : {std::pair{640, 480}, {1280, 720}, {1920, 1080}, {3840, 2160}}) {
    constexpr int kFrames = 300;
    const double indexedStep = [&] {
      TMoviePlayback indexed;
      return MedianStep(indexed, width, height, 8, kFrames);
    }();
    TMoviePlayback playback;
    const double step = MedianStep(playback, width, height, 32, kFrames);
    const size_t bytes = size_t(width) * height * 4;
    std::vector<uint8_t> from(bytes, 1), to(bytes, 0);
    const double copy = MedianSeconds(21, [&] {
      std::memcpy(to.data(), from.data(), bytes);
      asm volatile("" : : "r"(to.data()) : "memory");
    });
    const auto [seek, fromStart] = Seeks(playback, kFrames);
    std::printf("%4d x %-5d | %-36s | %-36s | %-36s\n", width, height, Cell(step, copy).c_str(),
                Cell(indexedStep, step).c_str(), Cell(seek, fromStart).c_str());
    std::fflush(stdout);
  }
}

void DurationTable(const std::string& dir) {
  std::printf("\n%-13s | %-8s | %-30s | %-30s | %-30s\n", "1280 x 720", "file", "loading (reading the file)",
              "extraction (cabextract)", "seek (composing from the start)");
  for (const int minutes : {1, 10, 60, 120}) {
    // Segments of at most an hour, as a recorder would make them: one
    // segment's frames must fit the frame buffer.
    const int segments = std::max(1, minutes / 60), frames = minutes * 60 * 5 / segments;
    const std::string content = dir + "content/", movie = content + "MyFilm.~ekflm", cabinet = dir + "movie.ekcab";
    fs::create_directories(content);
    WriteScreencastMovie(movie, TScreencast::Lesson, 1280, 720, frames, segments);
    const double megabytes = static_cast<double>(fs::file_size(movie)) / 1e6;
    ReadWhole(movie);
    const double read = MedianSeconds(5, [&] { ReadWhole(movie); });
    const double load = MedianSeconds(5, [&] {
      TMoviePlayback loaded;
      LoadMovie(movie, loaded);
    });
    const TExtractionSeconds extraction = TimeExtraction(content, cabinet, dir);
    TMoviePlayback playback;
    LoadMovie(movie, playback);
    playback.AllocFrameBuffer(TMoviePlayback::FrameBufferSize);
    const auto [seek, fromStart] = Seeks(playback, frames);
    char name[32], size[32];
    std::snprintf(name, sizeof name, "%d min", minutes);
    std::snprintf(size, sizeof size, "%.0f MB", megabytes);
    std::printf("%-13s | %-8s | %-30s | %-30s | %-30s\n", name, size, Cell(load, read).c_str(),
                Cell(extraction.ours, extraction.cabextract).c_str(), Cell(seek, fromStart).c_str());
    std::fflush(stdout);
    fs::remove_all(dir);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string build = argc > 1 ? argv[1] : "build-bench";
  const std::string dir = fs::temp_directory_path().string() + "/ek-scale-" + std::to_string(::getpid()) + "/";
  cabintf::SetLibraryFolders({build + "/player/"});
  std::printf("scale table: each figure with its baseline and the ratio to it in brackets\n");
  SizeTable();
  DurationTable(dir);
  fs::remove_all(dir);
  return 0;
}
