#include "BenchSteps.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "CabSTComps.h"
#include "MovieReader.h"
#include "Streams.h"

namespace fs = std::filesystem;

double MedianSeconds(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void Run(const std::string& command) {
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    std::exit(1);
  }
}

void ReadWhole(const std::string& path) {
  platform::TFileStream stream(path, platform::TFileStream::Mode::OpenRead, platform::FILE_SHARE_READ);
  const int64_t size = stream.Size();
  const std::unique_ptr<uint8_t[]> bytes(new uint8_t[static_cast<size_t>(size)]);
  stream.ReadBuffer(bytes.get(), size);
}

void LoadMovie(const std::string& path, TMoviePlayback& playback) {
  platform::TFileStream stream(path, platform::TFileStream::Mode::OpenRead, platform::FILE_SHARE_READ);
  ReadMovie(stream, playback.SegmentList);
}

TExtractionSeconds TimeExtraction(const std::string& contentFolder, const std::string& cabinet,
                                  const std::string& workFolder) {
  Run("cd '" + contentFolder + "' && gcab -c -z '" + cabinet + "' MyFilm.~ekflm");
  TExtractionSeconds seconds{};
  seconds.cabextract = MedianSeconds(3, [&] {
    fs::remove_all(workFolder + "out-cabextract");
    Run("cabextract -q -d '" + workFolder + "out-cabextract' '" + cabinet + "'");
  });
  seconds.ours = MedianSeconds(3, [&] {
    fs::remove_all(workFolder + "out-reader");
    fs::create_directories(workFolder + "out-reader");
    TSTCabReader cab;
    cab.ExtractFiles(cabinet, workFolder + "out-reader/");
  });
  return seconds;
}
