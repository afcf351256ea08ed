// The packaged-movie launcher run as the system runs it: its files written
// where they belong, the player started with the movie's own quoted path.
// A recorder stands in for the player and writes down how it was started.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "CabinetFixtures.h"

namespace fs = std::filesystem;
using namespace fixtures;

namespace {

struct TLaunch {
  int status = -1;
  std::string err;
};

class Launcher : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = FreshFolder("launcher-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    temp_ = folder_ + "tmp";
    fs::create_directories(temp_);
    private_ = temp_ + "/ekPlayer-" + std::to_string(::getuid()) + "/";
    record_ = folder_ + "started.txt";
  }

  // A packaged movie made of the launcher, some cabinet bytes and their length.
  std::string Packaged(const std::string& launcher, const std::string& path) {
    fs::create_directories(fs::path(path).parent_path());
    WriteFile(folder_ + "film.ekcab", std::string(300000, 'c'));
    const std::string command =
        "'" + BuildFolder() + "player/ekpack' '" + launcher + "' '" + folder_ + "film.ekcab' '" + path + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return path;
  }

  TLaunch Start(const std::string& program, const std::vector<std::string>& arguments) {
    std::string command =
        "cd '" + folder_ + "' && TMPDIR='" + temp_ + "' EK_START_RECORD='" + record_ + "' '" + program + "'";
    for (const std::string& a : arguments) command += " '" + a + "'";
    command += " 2>'" + folder_ + "err.txt'";
    TLaunch run;
    const int status = std::system(command.c_str());
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFile(folder_ + "err.txt");
    return run;
  }

  // The recorder's lines, once it has run; empty when it was not started.
  std::vector<std::string> Started(std::chrono::milliseconds wait = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!fs::exists(record_) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::vector<std::string> lines;
    std::string text = fs::exists(record_) ? ReadFile(record_) : std::string();
    for (size_t at = 0; at < text.size();) {
      const size_t end = text.find('\n', at);
      lines.push_back(text.substr(at, end - at));
      at = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
  }

  std::string Recorder() const { return BuildFolder() + "launcher/ekcab_Exe_recorder"; }

  std::string folder_, temp_, private_, record_;
};

TEST_F(Launcher, WritesBothFilesToThePrivateFolderAndStartsThePlayerOnItself) {
  const std::string movie = Packaged(Recorder(), folder_ + "with blanks/my movie.exe");
  // Longer files of those names are replaced and cut to the new length.
  fs::create_directories(private_);
  WriteFile(private_ + "cabinet.dll", std::string(5000000, 'x'));
  WriteFile(private_ + "ekPlayer.exe", std::string(5000000, 'x'));
  const TLaunch run = Start(movie, {});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFile(private_ + "cabinet.dll"), ReadFile(BuildFolder() + "player/cabinet.dll"));
  EXPECT_EQ(ReadFile(private_ + "ekPlayer.exe"), ReadFile(BuildFolder() + "launcher/ek_start_recorder"));
  EXPECT_EQ(fs::status(private_ + "ekPlayer.exe").permissions() & fs::perms::owner_exec, fs::perms::owner_exec);
  // One argument, the movie's own full path in double quotes; the launcher's folder inherited.
  const std::vector<std::string> started = Started();
  ASSERT_EQ(started.size(), 2u);
  EXPECT_EQ(fs::path(started[0]), fs::path(folder_).parent_path());
  EXPECT_EQ(started[1], "\"" + fs::canonical(movie).string() + "\"");
}

TEST_F(Launcher, ExtractWritesBesideItselfAndStartsNothing) {
  const std::string movie = Packaged(Recorder(), folder_ + "beside/film.exe");
  const TLaunch run = Start(movie, {"/extract", "ignored"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFile(folder_ + "beside/cabinet.dll"), ReadFile(BuildFolder() + "player/cabinet.dll"));
  EXPECT_TRUE(fs::exists(folder_ + "beside/ekPlayer.exe"));
  EXPECT_FALSE(fs::exists(folder_ + "beside/MyFilm.~ekflm"));
  EXPECT_TRUE(Started(std::chrono::milliseconds(500)).empty());
  EXPECT_FALSE(fs::exists(private_ + "ekPlayer.exe"));
}

TEST_F(Launcher, OnlyTheExactFirstArgumentIsTheSwitch) {
  const std::string movie = Packaged(Recorder(), folder_ + "film.exe");
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"/EXTRACT"}, {"-extract"}, {"movie", "/extract"}}) {
    fs::remove(record_);
    const TLaunch run = Start(movie, arguments);
    EXPECT_EQ(run.status, 0) << arguments[0];
    EXPECT_EQ(Started().size(), 2u) << arguments[0];
    EXPECT_FALSE(fs::exists(folder_ + "cabinet.dll")) << arguments[0];
  }
}

TEST_F(Launcher, MissingResourceStopsWithItsNameAfterTheFilesBefore) {
  const TLaunch run = Start(BuildFolder() + "launcher/ekcab_Exe_without_player", {});
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(run.err, "Resource EKPLAYER not found\n");
  EXPECT_TRUE(fs::exists(private_ + "cabinet.dll"));
  EXPECT_FALSE(fs::exists(private_ + "ekPlayer.exe"));
  EXPECT_TRUE(Started(std::chrono::milliseconds(500)).empty());
}

// Entries of a cabinet once made folders of the launcher's names, and every
// later packaged movie ended at once without a word.
TEST_F(Launcher, FoldersAtItsNamesInThePrivateFolderAreRemoved) {
  const std::string movie = Packaged(Recorder(), folder_ + "film.exe");
  fs::create_directories(private_ + "cabinet.dll/x");
  fs::create_directories(private_ + "ekPlayer.exe/x");
  const TLaunch run = Start(movie, {});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFile(private_ + "cabinet.dll"), ReadFile(BuildFolder() + "player/cabinet.dll"));
  EXPECT_EQ(Started().size(), 2u);
}

TEST_F(Launcher, FilesThatCannotBeWrittenAreReportedAndNothingStarts) {
  const std::string movie = Packaged(Recorder(), folder_ + "beside/film.exe");
  // Beside the packaged movie the folder in the way is the user's, and stays.
  fs::create_directories(folder_ + "beside/cabinet.dll/mine");
  TLaunch run = Start(movie, {"/extract"});
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("Can't write " + folder_ + "beside/cabinet.dll: "), std::string::npos) << run.err;
  EXPECT_TRUE(fs::exists(folder_ + "beside/cabinet.dll/mine"));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_ + "beside"), fs::directory_iterator()), 2)
      << "a temporary file was left beside the movie";
  if (::getuid() == 0) return;  // root writes into read-only folders all the same
  fs::create_directories(private_);
  fs::permissions(private_, fs::perms::owner_read | fs::perms::owner_exec);
  run = Start(movie, {});
  fs::permissions(private_, fs::perms::owner_all);
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("Can't write"), std::string::npos) << run.err;
  EXPECT_TRUE(Started(std::chrono::milliseconds(500)).empty());
}

TEST_F(Launcher, APrivateFolderThatIsALinkIsNeverWrittenThrough) {
  const std::string movie = Packaged(Recorder(), folder_ + "film.exe");
  fs::create_directories(folder_ + "elsewhere");
  fs::create_directory_symlink(folder_ + "elsewhere", temp_ + "/ekPlayer-" + std::to_string(::getuid()));
  EXPECT_EQ(Start(movie, {}).status, 0);
  EXPECT_TRUE(fs::is_empty(folder_ + "elsewhere"));
  const std::vector<std::string> started = Started();
  ASSERT_EQ(started.size(), 2u);  // started from a fresh private folder instead
}

}  // namespace
