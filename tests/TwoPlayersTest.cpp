// Two players of one user share the private temporary folder and its fixed
// names; each must read the movie it was asked for, or say that the folder
// is busy, never the other's.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "CabIntf.h"
#include "CabSTComps.h"
#include "CabinetFixtures.h"
#include "MovieExtraction.h"
#include "MovieReader.h"
#include "MovieWriter.h"
#include "Streams.h"

namespace fs = std::filesystem;
namespace mw = moviewriter;
using namespace fixtures;

namespace {

std::string MovieNamed(const std::string& name, int frames) {
  mw::Segment segment;
  segment.name = name;
  segment.width = 64;
  segment.height = 48;
  for (int f = 0; f < frames; ++f) {
    mw::Picture picture(64, 48);
    for (size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = static_cast<uint32_t>(i * 2654435761u + f);
    segment.frames.push_back({picture, {}, {}});
  }
  const auto bytes = mw::WriteMovie({segment}).bytes;
  return {bytes.begin(), bytes.end()};
}

std::string Cabinet(const std::string& folder, const std::string& name, const std::string& movie) {
  WriteFile(folder + "MyFilm.~ekflm", movie);
  MakeCabinet(folder, folder + name, {"MyFilm.~ekflm"}, true);
  fs::remove(folder + "MyFilm.~ekflm");
  return folder + name;
}

// What one player does when it opens a movie, without its window: the
// number of openings that read another movie, or failed in any way but "busy".
int OpenRepeatedly(const std::string& tempDir, const std::string& path, const std::string& expected, int rounds) {
  cabintf::SetLibraryFolders({BuildFolder() + "player/"});
  TSTCabReader reader;
  int wrong = 0;
  for (int i = 0; i < rounds; ++i) {
    TMovieExtraction extraction(tempDir, tempDir + "MyFilm.~ekflm");
    extraction.TempFolderWait = std::chrono::seconds(30);
    std::string cabinet, name;
    try {
      const TExtractResult result = extraction.ExtractAndRead(path, reader, cabinet, [&](platform::TStream& movie) {
        const auto entries = ReadSegmentEntries(movie);
        if (!entries.empty()) name = entries.front().Name.Utf8();
      });
      if (result == TExtractResult::TempMovieFileBusy) continue;
      if (result != TExtractResult::Extracted || name != expected) ++wrong;
    } catch (const std::exception&) { ++wrong; }
  }
  return wrong;
}

TEST(TwoPlayers, EachOpeningReadsItsOwnMovie) {
  const std::string folder = FreshFolder("two-players");
  const std::string tempDir = FreshFolder("two-players-temp");
  // Of different sizes, so that one is still being written while the other is read.
  const std::string first = Cabinet(folder, "first.ekcab", MovieNamed("first", 30));
  const std::string second = Cabinet(folder, "second.ekcab", MovieNamed("second", 3));
  const std::string packaged = folder + "second.exe";
  {
    std::string bytes = "MZ" + ReadFile(second);
    const uint32_t length = static_cast<uint32_t>(bytes.size() - 2);
    for (int b = 0; b < 4; ++b) bytes += static_cast<char>(length >> (8 * b));
    WriteFile(packaged, bytes);
  }
  constexpr int kRounds = 100;
  std::vector<pid_t> players;
  for (const auto& [path, name] :
       {std::pair{first, "first"}, std::pair{second, "second"}, std::pair{packaged, "second"}}) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) _exit(std::min(OpenRepeatedly(tempDir, path, name, kRounds), 100));
    players.push_back(pid);
  }
  for (const pid_t pid : players) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "openings that read another movie or failed";
  }
}

}  // namespace
