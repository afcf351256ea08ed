// Steps the benchmarks share: timing, commands, and the loading and
// extraction they measure with their baselines.
#pragma once

#include <functional>
#include <string>

#include "MoviePlayback.h"

// The median time of `runs` runs of the work, in seconds.
double MedianSeconds(int runs, const std::function<void()>& work);
// Runs a shell command; a failure ends the benchmark.
void Run(const std::string& command);

// The baseline of loading: the file read into fresh memory.
void ReadWhole(const std::string& path);
void LoadMovie(const std::string& path, TMoviePlayback& playback);

struct TExtractionSeconds {
  double cabextract, ours;
};
// The movie file of `contentFolder` made into the cabinet by gcab, then
// extracted by cabextract and by the player's cabinet reader into `workFolder`.
TExtractionSeconds TimeExtraction(const std::string& contentFolder, const std::string& cabinet,
                                  const std::string& workFolder);
