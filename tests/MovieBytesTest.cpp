// The one way to a movie's bytes, through its own calls: the same movie file
// out of every wrapping, and nothing left under any name.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "CabinetFixtures.h"
#include "Exception.h"
#include "MovieBytes.h"
#include "MovieWriter.h"
#include "PlaybackFixtures.h"

namespace fs = std::filesystem;
using namespace fixtures;

namespace {

std::string ReadAll(platform::TStream& stream) {
  std::string bytes(static_cast<size_t>(stream.Size()), '\0');
  EXPECT_EQ(stream.Read(bytes.data(), static_cast<int64_t>(bytes.size())), static_cast<int64_t>(bytes.size()));
  return bytes;
}

TEST(MovieBytes, EveryWrappingGivesTheMovieFileWholeOrItsBeginningAndNamesNothing) {
  const std::string folder = FreshFolder("movie-bytes");
  fs::create_directories(folder + "tmp");
  ::setenv("TMPDIR", (folder + "tmp").c_str(), 1);
  const auto written = moviewriter::WriteMovie(moviewriter::DemoMovie()).bytes;
  const std::string movie(written.begin(), written.end());
  WriteFile(folder + "MyFilm.~ekflm", movie);
  MakeCabinet(folder, folder + "movie.ekcab", {"MyFilm.~ekflm"}, true);
  const std::string cabinet = ReadFile(folder + "movie.ekcab");
  const uint32_t length = static_cast<uint32_t>(cabinet.size());
  WriteFile(folder + "movie.exe", "MZ stub" + cabinet + std::string(reinterpret_cast<const char*>(&length), 4));
  const std::string set = MakeCabinetSet(folder, "set", "MyFilm.~ekflm", movie, 3);

  for (const std::string& path : {folder + "MyFilm.~ekflm", folder + "movie.ekcab", folder + "movie.exe", set}) {
    const auto stream = OpenWholeMovie(path);
    // Open, the decompressed movie file has no name in the temporary folder.
    EXPECT_TRUE(fs::is_empty(folder + "tmp")) << path;
    EXPECT_TRUE(ReadAll(*stream) == movie) << path;

    std::vector<uint8_t> seen;
    const TPrefixReading prefix = ReadMoviePrefix(path, 1 << 20, [&](const std::vector<uint8_t>& bytes, bool) {
      seen = bytes;
      return bytes.size() >= 100;
    });
    EXPECT_TRUE(prefix.enough) << path << prefix.failure;
    ASSERT_GE(seen.size(), 100u) << path;
    EXPECT_TRUE(std::string(seen.begin(), seen.end()) == movie.substr(0, seen.size())) << path;
  }
  EXPECT_TRUE(fs::is_empty(folder + "tmp"));

  // A beginning longer than the cap is never held.
  const TPrefixReading capped =
      ReadMoviePrefix(folder + "movie.ekcab", 1000, [](const std::vector<uint8_t>& bytes, bool) {
        EXPECT_LE(bytes.size(), 1000u);
        return false;
      });
  EXPECT_TRUE(capped.capped);
  EXPECT_FALSE(capped.enough);
}

TEST(MovieBytes, WhatIsNoMovieSaysWhyAtOnce) {
  const std::string folder = FreshFolder("movie-bytes-refused");
  WriteFile(folder + "junk.ekcab", "not a cabinet" + std::string(100, '.'));
  ASSERT_EQ(::mkfifo((folder + "pipe.~ekflm").c_str(), 0600), 0);
  MakeLinkedCabinet(folder + "empty.ekcab", {{"readme.txt", "x"}});
  const std::pair<std::string, std::string> cases[] = {
      {"junk.ekcab", "not a cabinet or packaged movie"},
      {"pipe.~ekflm", "is not a regular file"},
      {"empty.ekcab", "the cabinet holds no MyFilm.~ekflm"},
      {"missing.ekcab", "can't be opened: No such file or directory"},
  };
  for (const auto& [name, message] : cases) {
    try {
      OpenWholeMovie(folder + name);
      ADD_FAILURE() << name << " was opened";
    } catch (const platform::Exception& e) {
      EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
    }
  }
}

}  // namespace
