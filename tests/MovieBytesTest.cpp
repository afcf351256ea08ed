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

// What salvage gives back must be the movie's own bytes everywhere it does
// not call lost, and lose little.
void ExpectSalvaged(const TSalvagedMovie& salvaged, const std::string& movie, int64_t mostLost,
                    const std::string& what) {
  int64_t lost = 0;
  size_t next = 0;
  for (size_t i = 0; i < salvaged.bytes.size(); ++i) {
    while (next < salvaged.lost.size() && salvaged.lost[next].second <= static_cast<int64_t>(i)) ++next;
    const bool inLost = next < salvaged.lost.size() && salvaged.lost[next].first <= static_cast<int64_t>(i);
    if (!inLost) { ASSERT_EQ(salvaged.bytes[i], static_cast<uint8_t>(movie[i])) << what << " byte " << i; }
  }
  for (const auto& [begin, end] : salvaged.lost) {
    EXPECT_LT(begin, end) << what;
    EXPECT_LE(end, static_cast<int64_t>(movie.size())) << what;
    lost += end - begin;
  }
  EXPECT_LE(lost, mostLost) << what;
}

TEST(MovieBytes, SalvageGivesEveryUndamagedByteAndSaysWhatWasLost) {
  const std::string folder = FreshFolder("movie-salvage");
  const std::string movie = ReadFile(std::string(EK_SOURCE_FOLDER) + "/tests/golden/segments32.~ekflm");
  WriteFile(folder + "MyFilm.~ekflm", movie);
  MakeCabinet(folder, folder + "movie.ekcab", {"MyFilm.~ekflm"}, true);
  const std::string cabinet = ReadFile(folder + "movie.ekcab");

  const TSalvagedMovie whole = SalvageMovieFile(folder + "movie.ekcab", 1 << 30);
  EXPECT_TRUE(whole.lost.empty());
  EXPECT_TRUE(whole.failure.empty()) << whole.failure;
  EXPECT_EQ(whole.bytes.size(), movie.size());

  // Bytes changed in the middle of the compressed data: the blocks after the
  // damaged one decode again.
  std::string garbled = cabinet;
  for (size_t i = 0; i < 3; ++i) garbled[cabinet.size() / 2 + i] ^= 0x55;
  WriteFile(folder + "garbled.ekcab", garbled);
  const TSalvagedMovie salvaged = SalvageMovieFile(folder + "garbled.ekcab", 1 << 30);
  EXPECT_EQ(salvaged.bytes.size(), movie.size());
  EXPECT_FALSE(salvaged.lost.empty());
  ExpectSalvaged(salvaged, movie, 3 * 32768, "garbled");
  EXPECT_GT(salvaged.lost.back().first, 0);
  EXPECT_LT(salvaged.lost.back().second, static_cast<int64_t>(movie.size()));

  // A stored cabinet passes a damaged block on as it is, but not unnoticed.
  MakeCabinet(folder, folder + "stored.ekcab", {"MyFilm.~ekflm"}, false);
  std::string stored = ReadFile(folder + "stored.ekcab");
  stored[stored.size() / 2] ^= 0x55;
  WriteFile(folder + "stored.ekcab", stored);
  const TSalvagedMovie passed = SalvageMovieFile(folder + "stored.ekcab", 1 << 30);
  EXPECT_EQ(passed.bytes.size(), movie.size());
  EXPECT_FALSE(passed.lost.empty());
  ExpectSalvaged(passed, movie, 2 * 32768, "stored");

  // Cut short: what came, and the rest lost up to the movie file's length.
  for (const size_t cut : {cabinet.size() / 4, cabinet.size() * 3 / 4, cabinet.size() - 1}) {
    WriteFile(folder + "cut.ekcab", cabinet.substr(0, cut));
    const TSalvagedMovie part = SalvageMovieFile(folder + "cut.ekcab", 1 << 30);
    const std::string what = "cut at " + std::to_string(cut);
    EXPECT_FALSE(part.failure.empty()) << what;
    ASSERT_FALSE(part.lost.empty()) << what;
    EXPECT_EQ(part.lost.back().second, static_cast<int64_t>(movie.size())) << what;
    ExpectSalvaged(part, movie, static_cast<int64_t>(movie.size()) - static_cast<int64_t>(part.bytes.size()) + 65536,
                   what);
  }

  // A bare movie file is what it is; the cap holds.
  const TSalvagedMovie bare = SalvageMovieFile(folder + "MyFilm.~ekflm", 1 << 30);
  EXPECT_TRUE(bare.lost.empty());
  EXPECT_TRUE(std::string(bare.bytes.begin(), bare.bytes.end()) == movie);
  const TSalvagedMovie capped = SalvageMovieFile(folder + "movie.ekcab", 1000);
  EXPECT_EQ(capped.bytes.size(), 1000u);
  EXPECT_NE(capped.failure.find("longer than the 1000 bytes"), std::string::npos) << capped.failure;
  EXPECT_NE(SalvageMovieFile(folder + "missing.ekcab", 1000).failure.find("can't be opened"), std::string::npos);
}

}  // namespace
