#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "Exception.h"
#include "Files.h"
#include "FolderLock.h"
#include "Shell.h"
#include "Win32Error.h"

namespace fs = std::filesystem;
using namespace platform;

namespace {

class TempPathTest : public testing::Test {
 protected:
  void SetUp() override {
    base_ = fs::path(testing::TempDir()) / ("tmpdir-" + std::to_string(::getpid()));
    fs::remove_all(base_);
    fs::create_directories(base_);
    const char* old = std::getenv("TMPDIR");
    old_ = old ? old : "";
    ::setenv("TMPDIR", base_.c_str(), 1);
    folder_ = base_ / ("ekPlayer-" + std::to_string(::getuid()));
  }
  void TearDown() override {
    if (old_.empty())
      ::unsetenv("TMPDIR");
    else
      ::setenv("TMPDIR", old_.c_str(), 1);
    fs::remove_all(base_);
  }
  fs::path base_, folder_;
  std::string old_;
};

TEST_F(TempPathTest, CreatesPrivateFolderWithTrailingSlash) {
  EXPECT_EQ(GetTempPath(), folder_.string() + "/");
  struct stat st {};
  ASSERT_EQ(::lstat(folder_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(GetTempPath(), folder_.string() + "/");
}

// A folder this process may use alone: ours, a folder, writable by nobody else.
void ExpectPrivateFolder(const std::string& path) {
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.back(), '/');
  struct stat st {};
  ASSERT_EQ(::lstat(path.c_str(), &st), 0) << path;
  EXPECT_TRUE(S_ISDIR(st.st_mode)) << path;
  EXPECT_EQ(st.st_uid, ::getuid()) << path;
  EXPECT_EQ(st.st_mode & 0777, 0700u) << path;
}

TEST_F(TempPathTest, UnusableFolderFallsBackToAFreshPrivateOne) {
  const std::string fixed = folder_.string() + "/";
  fs::create_directories(base_ / "elsewhere");
  fs::create_symlink(base_ / "elsewhere", folder_);
  std::string chosen = GetTempPath();
  EXPECT_NE(chosen, fixed);
  ExpectPrivateFolder(chosen);
  EXPECT_EQ(GetTempPath(), chosen);  // the same fresh folder for the rest of the run
  fs::remove(folder_);

  fs::create_directory(folder_);
  fs::permissions(folder_, fs::perms::all);
  EXPECT_NE(GetTempPath(), fixed);
  ExpectPrivateFolder(GetTempPath());

  if (::getuid() == 0) {
    fs::permissions(folder_, fs::perms::owner_all);
    ASSERT_EQ(::chown(folder_.c_str(), 12345, 12345), 0);
    EXPECT_NE(GetTempPath(), fixed);
    ExpectPrivateFolder(GetTempPath());
  }
  fs::remove_all(folder_);
  EXPECT_EQ(GetTempPath(), fixed);
}

TEST_F(TempPathTest, TemporaryFolderThatCannotBeMadeUsesTheRuntimeFolder) {
  ::setenv("TMPDIR", "/proc/no-such-folder", 1);
  const char* oldRuntime = std::getenv("XDG_RUNTIME_DIR");
  const std::string savedRuntime = oldRuntime ? oldRuntime : "";
  fs::create_directories(base_ / "runtime");
  fs::permissions(base_ / "runtime", fs::perms::owner_all);
  ::setenv("XDG_RUNTIME_DIR", (base_ / "runtime").c_str(), 1);
  const std::string chosen = GetTempPath();
  EXPECT_EQ(chosen, (base_ / "runtime" / "ekPlayer").string() + "/");
  ExpectPrivateFolder(chosen);
  ::unsetenv("XDG_RUNTIME_DIR");
  ExpectPrivateFolder(GetTempPath());
  if (savedRuntime.empty())
    ::unsetenv("XDG_RUNTIME_DIR");
  else
    ::setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
}

TEST(ForceDirectoriesTest, EveryFolderIsPrivateWhateverTheUmask) {
  const std::string dir = testing::TempDir() + "force-" + std::to_string(::getpid());
  fs::remove_all(dir);
  const mode_t saved = ::umask(0);
  EXPECT_TRUE(ForceDirectories(dir + "/a/b"));
  ::umask(saved);
  for (const std::string& folder : {dir, dir + "/a", dir + "/a/b"}) {
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << folder;
  }
  fs::remove_all(dir);
}

TEST(Win32Error, MapsErrnoToWindowsCodesAndKeepsTheRest) {
  EXPECT_EQ(ErrorFromErrno(ENOENT), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ErrorFromErrno(ENOTDIR), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(ErrorFromErrno(EACCES), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ErrorFromErrno(EEXIST), ERROR_FILE_EXISTS);
  EXPECT_EQ(ErrorFromErrno(ENOSPC), ERROR_DISK_FULL);
  const uint32_t loop = ErrorFromErrno(ELOOP);
  EXPECT_EQ(loop & kErrnoCodeBit, kErrnoCodeBit);
  EXPECT_EQ(SysErrorMessage(loop), std::strerror(ELOOP));
  EXPECT_EQ(SysErrorMessage(ERROR_FILE_NOT_FOUND), std::strerror(ENOENT));
  EXPECT_EQ(std::string(EOSError(ERROR_MOD_NOT_FOUND).what()),
            "Win32 Error.  Code: 126.\nThe specified module could not be found");
}

TEST(CreateFileTest, DispositionsAndLinks) {
  const std::string dir = testing::TempDir() + "createfile-" + std::to_string(::getpid()) + "/";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string path = dir + "a.bin";

  EXPECT_EQ(CreateFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  FileHandle h = CreateFile(path, GENERIC_WRITE, 0, CREATE_NEW, 0);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WriteFile(h, "hello", 5), 5);
  CloseHandle(h);
  EXPECT_EQ(CreateFile(path, GENERIC_WRITE, 0, CREATE_NEW, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);

  h = CreateFile(path, GENERIC_WRITE, 0, OPEN_ALWAYS, 0);
  EXPECT_EQ(GetFileSize(h), 5);  // open-always keeps the contents
  CloseHandle(h);
  h = CreateFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS, 0);
  EXPECT_EQ(GetFileSize(h), 0);
  CloseHandle(h);

  fs::create_symlink(path, dir + "link.bin");
  EXPECT_EQ(CreateFile(dir + "link.bin", GENERIC_WRITE, 0, OPEN_ALWAYS, FILE_FLAG_NO_FOLLOW), INVALID_HANDLE_VALUE);
  fs::remove_all(dir);
}

TEST(CreateFileTest, PipesAndDevicesAreRefusedAtOnce) {
  const std::string dir = testing::TempDir() + "pipes-" + std::to_string(::getpid()) + "/";
  fs::remove_all(dir);
  fs::create_directories(dir);
  ASSERT_EQ(::mkfifo((dir + "pipe").c_str(), 0600), 0);
  // Without a writer, an ordinary open of the pipe would wait for ever.
  EXPECT_EQ(CreateFile(dir + "pipe", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(CreateFile(dir + "pipe", GENERIC_WRITE, 0, OPEN_ALWAYS, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFile("/dev/null", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(FileExists(dir + "pipe"));
  EXPECT_FALSE(FileExists(dir));
  std::ofstream(dir + "plain") << "x";
  const FileHandle h = CreateFile(dir + "plain", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char c = 0;
  EXPECT_EQ(ReadFile(h, &c, 1), 1);  // a regular file reads as always once opened
  CloseHandle(h);
  fs::remove_all(dir);
}

TEST(FindFileIgnoringCaseTest, OneMatchInAnyCaseIsFoundAndNoneIsGuessed) {
  const std::string dir = testing::TempDir() + "case-" + std::to_string(::getpid()) + "/";
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir + "part2.ekcab") << "x";
  EXPECT_EQ(FindFileIgnoringCase(dir + "PART2.EKCAB"), dir + "part2.ekcab");
  EXPECT_EQ(FindFileIgnoringCase(dir + "part2.ekcab"), dir + "part2.ekcab");
  EXPECT_EQ(FindFileIgnoringCase(dir + "part3.ekcab"), dir + "part3.ekcab");
  // Two names that differ only in case: the exact one, else none of them.
  std::ofstream(dir + "Part2.ekcab") << "y";
  EXPECT_EQ(FindFileIgnoringCase(dir + "PART2.EKCAB"), dir + "PART2.EKCAB");
  EXPECT_EQ(FindFileIgnoringCase(dir + "Part2.ekcab"), dir + "Part2.ekcab");
  fs::remove_all(dir);
}

TEST(FolderLockTest, OneHolderAtATimeAndTheNextWaitsForIt) {
  const std::string dir = testing::TempDir() + "lock-" + std::to_string(::getpid());
  fs::create_directories(dir);
  auto first = std::make_unique<TFolderLock>(dir, std::chrono::milliseconds(0));
  ASSERT_TRUE(first->Held());
  EXPECT_FALSE(TFolderLock(dir, std::chrono::milliseconds(50)).Held());
  std::thread release([&first] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    first.reset();
  });
  EXPECT_TRUE(TFolderLock(dir, std::chrono::seconds(10)).Held());
  release.join();
  EXPECT_FALSE(TFolderLock(dir + "/missing", std::chrono::milliseconds(0)).Held());
  fs::remove_all(dir);
}

TEST(FileNames, SplitsAtTheLastSlash) {
  EXPECT_EQ(ExtractFileName("/a/b/DEMO.EXE"), "DEMO.EXE");
  EXPECT_EQ(ExtractFilePath("/a/b/DEMO.EXE"), "/a/b/");
  EXPECT_EQ(ExtractFileExt("/a/b.c/name"), "");
  EXPECT_EQ(ExtractFileExt("/a/movie.tar.ekcab"), ".ekcab");
  EXPECT_EQ(ExtractFileName("plain"), "plain");
}

TEST(Attributes, ReadOnlyIsTheWriteBits) {
  const std::string path = testing::TempDir() + "attr-" + std::to_string(::getpid());
  std::ofstream(path) << "x";
  EXPECT_TRUE(SetFileAttributes(path, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(GetFileAttributes(path), FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(SetFileAttributes(path, FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(GetFileAttributes(path), FILE_ATTRIBUTE_NORMAL);
  fs::remove(path);
  EXPECT_EQ(GetFileAttributes(path), INVALID_FILE_ATTRIBUTES);
}

}  // namespace

namespace {

// The states of this process's children, found by their parent in /proc, without collecting any.
std::vector<std::string> ChildStates() {
  std::vector<std::string> states;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    const size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream fields(line.substr(close + 2));
    std::string state;
    long parent = 0;
    if (fields >> state >> parent && parent == ::getpid()) states.push_back(state);
  }
  return states;
}

TEST(ShellExecuteTest, AStartedProgramLeavesNoZombieBehind) {
  ASSERT_TRUE(platform::ShellExecute("true", {}));
  for (int i = 0; i < 250 && !ChildStates().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_TRUE(ChildStates().empty()) << "a child is still there, in state " << ChildStates().front();
  EXPECT_FALSE(platform::ShellExecute("/no/such/program", {}));
}

}  // namespace
