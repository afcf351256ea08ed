// Loading, extraction, conversion, start to first frame and memory, each
// against a baseline measured in the same run. Prints one line per figure.
#include <QApplication>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "BenchSteps.h"
#include "CabIntf.h"
#include "CabSTComps.h"
#include "MovieReader.h"
#include "MovieWriter.h"
#include "ScreencastMovies.h"
#include "StartUp.h"
#include "ekLensaPlayerImpl1.h"

namespace fs = std::filesystem;

namespace {

void Figure(const char* name, double value, const char* unit, const char* baselineName, double baseline) {
  std::printf("%s: %.3f %s (baseline: %s %.3f %s, ratio %.3f)\n", name, value, unit, baselineName, baseline, unit,
              value / baseline);
  std::fflush(stdout);
}

// Peak resident size of a child that loads the movie and plays every frame.
double PeakResidentMiB(const std::string& path) {
  const pid_t child = ::fork();
  if (child == 0) {
    TMoviePlayback playback;
    playback.AllocFrameBuffer(TMoviePlayback::FrameBufferSize);
    LoadMovie(path, playback);
    for (size_t s = 0; s < playback.SegmentList.size(); ++s) {
      playback.CurSegment = static_cast<int32_t>(s);
      playback.SetCurSegment();
      do playback.ComposePicture();
      while (playback.NextFrame() == result::AllRight);
    }
    std::_Exit(0);
  }
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  return usage.ru_maxrss / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const std::string build = argc > 1 ? argv[1] : "build-bench";
  const std::string dir = fs::temp_directory_path().string() + "/ek-bench-" + std::to_string(::getpid()) + "/";
  fs::create_directories(dir + "content");
  cabintf::SetLibraryFolders({build + "/player/"});

  // About 200 MB in four segments of full-change 1080p frames.
  const std::string movie = dir + "content/MyFilm.~ekflm";
  WriteScreencastMovie(movie, TScreencast::WorstCase, 1920, 1080, 5, 4);
  const double size = static_cast<double>(fs::file_size(movie)) / 1e6;
  ReadWhole(movie);  // into the page cache
  const double raw = MedianSeconds(5, [&] { ReadWhole(movie); });
  const double load = MedianSeconds(5, [&] {
    TMoviePlayback playback;
    LoadMovie(movie, playback);
  });
  const std::string loading = "movie loading, " + std::to_string(static_cast<int>(size)) + " MB from the page cache";
  Figure(loading.c_str(), load, "s", "reading the file into memory", raw);

  const TExtractionSeconds extraction = TimeExtraction(dir + "content", dir + "movie.ekcab", dir);
  Figure("cabinet extraction", extraction.ours, "s", "cabextract", extraction.cabextract);

  // A file manager's thumbnail: only as much of the movie is unpacked as its first picture needs.
  const std::string converter = build + "/player/ekconvert";
  const double thumbnail =
      MedianSeconds(5, [&] { Run(converter + " thumbnail '" + dir + "movie.ekcab' '" + dir + "thumbnail.png'"); });
  const double wholeMovie = MedianSeconds(3, [&] { Run(converter + " info '" + dir + "movie.ekcab' >/dev/null"); });
  Figure("opening the cabinet movie (ekconvert info: extracted and read)", wholeMovie, "s", "cabextract",
         extraction.cabextract);
  Figure("thumbnail of the cabinet movie", thumbnail, "s", "ekconvert info, which extracts and reads it all",
         wholeMovie);

  // Rescue: the movie read through salvage, sound and with a garbled block in
  // the middle, against the plain reading; and a repaired movie written,
  // against gcab compressing the same movie file.
  const double salvaged =
      MedianSeconds(3, [&] { Run(converter + " info '" + dir + "movie.ekcab' --salvage >/dev/null"); });
  Figure("salvaged reading of the sound cabinet movie (info --salvage)", salvaged, "s", "ekconvert info", wholeMovie);
  {
    std::ifstream in(dir + "movie.ekcab", std::ios::binary);
    std::string cabinet((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (size_t i = 0; i < 8; ++i) cabinet[cabinet.size() / 2 + i] ^= 0x55;
    std::ofstream(dir + "garbled.ekcab", std::ios::binary) << cabinet;
  }
  const double garbled =
      MedianSeconds(3, [&] { Run(converter + " info '" + dir + "garbled.ekcab' --salvage >/dev/null 2>&1"); });
  Figure("salvaged reading of the cabinet movie with a garbled block", garbled, "s", "ekconvert info of the sound one",
         wholeMovie);
  const double gcab = MedianSeconds(3, [&] {
    Run("cd '" + dir + "content' && gcab -c -z '" + dir + "again.ekcab' MyFilm.~ekflm");
  });
  const double rescue = MedianSeconds(3, [&] {
    Run(converter + " rescue '" + dir + "garbled.ekcab' '" + dir + "rescued.ekcab' >/dev/null 2>&1");
  });
  Figure("rescue of the garbled cabinet movie, written as a cabinet", rescue, "s", "gcab -c -z of the movie file",
         gcab);

  const double peak = PeakResidentMiB(movie);
  // The movie, the frame buffer, three pictures, the frame index's budget
  // (pictures of noise cost their own size as snapshots) and the program.
  const double limit =
      size / 1.048576 + 64 + 3 * (1920.0 * 1080 * 4 / 1048576) + TSeekIndex::kDefaultBudget / 1048576.0 + 60;
  std::printf("peak resident size playing a %.0f MB movie: %.1f MiB (limit %.1f MiB, ratio %.3f)\n", size, peak, limit,
              peak / limit);

  // Conversion of a 1080p screencast against ffmpeg on the same raw frames.
  const std::string typical = dir + "typical/MyFilm.~ekflm";
  fs::create_directories(dir + "typical");
  WriteScreencastMovie(typical, TScreencast::Typical, 1920, 1080, 60, 1);
  const std::string ekconvert = build + "/player/ekconvert";
  Run(ekconvert + " video '" + typical + "' '" + dir + "lossless.mkv' --lossless");
  Run("ffmpeg -v error -y -i '" + dir + "lossless.mkv' -vsync passthrough -f rawvideo -pix_fmt rgb24 '" + dir +
      "raw.rgb'");
  const double ours = MedianSeconds(3, [&] { Run(ekconvert + " video '" + typical + "' '" + dir + "ours.mp4'"); });
  const double ffmpeg = MedianSeconds(3, [&] {
    Run("ffmpeg -v error -y -f rawvideo -pix_fmt rgb24 -s 1920x1080 -r 5 -i '" + dir +
        "raw.rgb' -c:v libx264 -preset veryfast -crf 20 -bf 0 -pix_fmt yuv420p '" + dir + "theirs.mp4'");
  });
  Figure("conversion to H.264, 60 frames of 1080p", ours, "s", "ffmpeg on the raw frames", ffmpeg);
  const double frames = MedianSeconds(3, [&] {
    fs::remove_all(dir + "frames");
    Run(ekconvert + " frames '" + typical + "' '" + dir + "frames'");
  });
  Figure("frames to PNG (fastest compression), 60 frames of 1080p", frames, "s", "ffmpeg H.264 on the raw frames",
         ffmpeg);

  // Start to first frame, in the program's own start-up path, with a 10 MB movie.
  fs::create_directories(dir + "start");
  const std::string small = dir + "start/MyFilm.~ekflm";
  WriteScreencastMovie(small, TScreencast::FullChange, 1920, 1080, 280, 1);
  Run("cd '" + dir + "start' && gcab -c -z '" + dir + "start.ekcab' MyFilm.~ekflm");
  const double start = MedianSeconds(3, [&] {
    TekLensaPlayer player;
    (void)OpenMovieAtStart(player, {dir + "start.ekcab"});
    player.TimerTimer();
    player.AStopExecute();
  });
  std::printf("start to first frame, %.1f MB movie: %.3f s (goal under 0.300 s)\n",
              static_cast<double>(fs::file_size(small)) / 1e6, start);
  // A playing tick of the typical screencast: present what changed, compose
  // the next frame. Passes over the movie alternate with blocks of the
  // baseline copy, so that both see the same machine.
  Run("cd '" + dir + "typical' && gcab -c -z '" + dir + "typical.ekcab' MyFilm.~ekflm");
  {
    TekLensaPlayer player;
    player.resize(1920, 1200);
    (void)OpenMovieAtStart(player, {dir + "typical.ekcab"});
    std::vector<uint8_t> from(1920 * 1080 * 4, 1), to(from.size());
    std::vector<double> ticks, copies;
    for (int pass = 0; pass < 10; ++pass) {
      player.CurSegment = 0;
      player.SetCurSegment();
      player.TimerTimer();
      while (player.PlayState == playstate::Playing && player.FrameIndex + 1 < 60) {
        const auto begin = std::chrono::steady_clock::now();
        player.TimerTimer();
        ticks.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - begin).count());
      }
      for (int i = 0; i < 10; ++i)
        copies.push_back(MedianSeconds(1, [&] { std::memcpy(to.data(), from.data(), from.size()); }) * 1e6);
    }
    std::sort(ticks.begin(), ticks.end());
    std::sort(copies.begin(), copies.end());
    Figure("playing tick (present and frame step), typical 1920 x 1080 x 32", ticks[ticks.size() / 2], "us",
           "memcpy of the picture", copies[copies.size() / 2]);
    player.AStopExecute();
  }
  fs::remove_all(dir);
  return 0;
}
