// Code and the help file come only from folders that nobody but the user and
// root can write: a folder another account can write is where it would plant
// a library of its own.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "CodeFolders.h"

namespace fs = std::filesystem;
using platform::OnlyUserAndRootCanWrite;
using platform::TrustedFile;

namespace {

class CodeFoldersTest : public testing::Test {
 protected:
  void SetUp() override {
    base_ = fs::path(testing::TempDir()) / ("code-folders-" + std::to_string(::getpid())) / "";
    fs::remove_all(base_);
    fs::create_directories(base_);
    fs::permissions(base_, fs::perms::owner_all);
  }
  void TearDown() override { fs::remove_all(base_); }

  // A folder below the base with the mode given, holding "lib.so" of mode 0644.
  std::string FolderWithLibrary(const std::string& name, fs::perms mode) {
    const fs::path folder = base_ / name;
    fs::create_directories(folder);
    std::ofstream(folder / "lib.so") << "code";
    fs::permissions(folder / "lib.so", fs::perms(0644));
    fs::permissions(folder, mode);
    return folder.string() + "/";
  }

  fs::path base_;
};

TEST_F(CodeFoldersTest, FoldersOthersCanWriteAreNeverTrusted) {
  const std::string own = FolderWithLibrary("own", fs::perms(0755));
  EXPECT_TRUE(OnlyUserAndRootCanWrite(own));
  EXPECT_FALSE(OnlyUserAndRootCanWrite(FolderWithLibrary("everyone", fs::perms(0777))));
  EXPECT_FALSE(OnlyUserAndRootCanWrite(FolderWithLibrary("group", fs::perms(0775))));
  // Sticky or not, a folder others can add to is theirs to plant in.
  EXPECT_FALSE(OnlyUserAndRootCanWrite(FolderWithLibrary("sticky", fs::perms(01777))));
  // Below a sticky folder such as /tmp, a folder of our own is ours ...
  fs::permissions(base_ / "sticky", fs::perms(01777));
  EXPECT_TRUE(OnlyUserAndRootCanWrite(FolderWithLibrary("sticky/mine", fs::perms(0700))));
  // ... but below a folder others can write without the sticky bit it could be swapped.
  EXPECT_FALSE(OnlyUserAndRootCanWrite(FolderWithLibrary("everyone/mine", fs::perms(0700))));
  EXPECT_FALSE(OnlyUserAndRootCanWrite((base_ / "missing").string()));
}

TEST_F(CodeFoldersTest, AFolderOfAnotherAccountIsNeverTrusted) {
  if (::getuid() != 0) GTEST_SKIP() << "giving a folder to another account needs root";
  const std::string theirs = FolderWithLibrary("theirs", fs::perms(0755));
  ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
  EXPECT_FALSE(OnlyUserAndRootCanWrite(theirs));
  EXPECT_FALSE(OnlyUserAndRootCanWrite(FolderWithLibrary("theirs/below", fs::perms(0755))));
  const std::string file = FolderWithLibrary("their-file", fs::perms(0755));
  ASSERT_EQ(::chown((file + "lib.so").c_str(), 65534, 65534), 0);
  EXPECT_EQ(TrustedFile("lib.so", {file}), std::nullopt);
}

TEST_F(CodeFoldersTest, TheFirstTrustedFolderHoldingAPlainFileServes) {
  const std::string everyone = FolderWithLibrary("everyone", fs::perms(0777));
  const std::string own = FolderWithLibrary("own", fs::perms(0755));
  const std::string writable = FolderWithLibrary("writable-file", fs::perms(0755));
  fs::permissions(writable + "lib.so", fs::perms(0666));
  const std::string empty = FolderWithLibrary("empty", fs::perms(0755));
  fs::remove(empty + "lib.so");
  fs::create_directory(empty + "lib.so");
  EXPECT_EQ(TrustedFile("lib.so", {everyone, writable, empty, own}), own + "lib.so");
  EXPECT_EQ(TrustedFile("lib.so", {everyone, writable, empty}), std::nullopt);

  // A link counts as what it leads to: a file in a folder others can write.
  const std::string linked = FolderWithLibrary("linked", fs::perms(0755));
  fs::remove(linked + "lib.so");
  fs::create_symlink(everyone + "lib.so", linked + "lib.so");
  EXPECT_EQ(TrustedFile("lib.so", {linked}), std::nullopt);
  fs::remove(linked + "lib.so");
  fs::create_symlink(own + "lib.so", linked + "lib.so");
  EXPECT_EQ(TrustedFile("lib.so", {linked}), linked + "lib.so");
}

}  // namespace
