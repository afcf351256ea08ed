#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "Exception.h"
#include "Files.h"
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
    if (old_.empty()) ::unsetenv("TMPDIR"); else ::setenv("TMPDIR", old_.c_str(), 1);
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

TEST_F(TempPathTest, RefusesLinkForeignOwnerAndOpenModes) {
  fs::create_directories(base_ / "elsewhere");
  fs::create_symlink(base_ / "elsewhere", folder_);
  EXPECT_THROW(GetTempPath(), Exception);
  fs::remove(folder_);

  fs::create_directory(folder_);
  fs::permissions(folder_, fs::perms::all);
  EXPECT_THROW(GetTempPath(), Exception);

  if (::getuid() == 0) {
    fs::permissions(folder_, fs::perms::owner_all);
    ASSERT_EQ(::chown(folder_.c_str(), 12345, 12345), 0);
    EXPECT_THROW(GetTempPath(), Exception);
  }
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
