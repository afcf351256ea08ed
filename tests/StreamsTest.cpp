#include "Streams.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "Exception.h"
#include "ReadAheadStream.h"
#include "Win32Error.h"

using platform::TFileStream;
using platform::TMemoryStream;

namespace {

std::string WriteTempFile(const std::string& name, const std::string& content) {
  const std::string path = testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

TEST(MemoryStream, ReadsWritesAndSeeks) {
  TMemoryStream m;
  m.WriteBuffer("abcdef", 6);
  EXPECT_EQ(m.Size(), 6);
  m.SetPosition(2);
  char b[8] = {};
  EXPECT_EQ(m.Read(b, 8), 4);
  EXPECT_STREQ(b, "cdef");
  EXPECT_EQ(m.Read(b, 1), 0);
  m.Seek(-1, platform::SeekOrigin::End);
  m.WriteBuffer("XYZ", 3);
  EXPECT_EQ(m.Size(), 8);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.Memory()), 8), "abcdeXYZ");
  EXPECT_THROW(m.ReadBuffer(b, 1), platform::EReadError);
}

TEST(MemoryStream, CopyFromTakesExactlyCountOrFailsWithoutGrowing) {
  TMemoryStream source;
  source.WriteBuffer("0123456789", 10);
  source.SetPosition(3);
  TMemoryStream target;
  target.CopyFrom(source, 4);
  EXPECT_EQ(target.Size(), 4);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(target.Memory()), 4), "3456");
  EXPECT_EQ(source.Position(), 7);
  target.CopyFrom(source, 0);
  EXPECT_EQ(target.Size(), 4);
  EXPECT_THROW(target.CopyFrom(source, 4), platform::EReadError);
  EXPECT_EQ(target.Size(), 4);
}

TEST(FileStream, CopyFromFileEndsEarlyWithReadError) {
  TFileStream file(WriteTempFile("short.bin", "12345"), TFileStream::Mode::OpenRead);
  EXPECT_EQ(file.Size(), 5);
  TMemoryStream target;
  EXPECT_THROW(target.CopyFrom(file, 6), platform::EReadError);
}

TEST(FileStream, CopyFromALargeFileIsMadeOnceAndKeepsEveryByte) {
  // Large enough that its pages are prepared in one go; into a stream that
  // already holds bytes, so that the new ones start inside a page.
  std::string content(5 * 1024 * 1024 + 123, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 + i / 4096);
  TFileStream file(WriteTempFile("large.bin", content), TFileStream::Mode::OpenRead);
  TMemoryStream target;
  target.WriteBuffer("head", 4);
  target.CopyFrom(file, static_cast<int64_t>(content.size()));
  ASSERT_EQ(target.Size(), static_cast<int64_t>(content.size()) + 4);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(target.Memory()), 4), "head");
  EXPECT_TRUE(std::memcmp(target.Memory() + 4, content.data(), content.size()) == 0);
  // A declared length past the file's end still fails and keeps what was there.
  file.SetPosition(10);
  EXPECT_THROW(target.CopyFrom(file, static_cast<int64_t>(content.size())), platform::EReadError);
  EXPECT_EQ(target.Size(), static_cast<int64_t>(content.size()) + 4);
}

TEST(FileStream, ExclusiveOpenConflictsWithAnyOther) {
  const std::string path = WriteTempFile("locked.bin", "x");
  {
    TFileStream reader(path, TFileStream::Mode::OpenRead, platform::FILE_SHARE_READ);
    TFileStream second(path, TFileStream::Mode::OpenRead, platform::FILE_SHARE_READ);
    EXPECT_THROW(TFileStream(path, TFileStream::Mode::OpenRead, 0), platform::EFOpenError);
    EXPECT_EQ(platform::GetLastError(), platform::ERROR_SHARING_VIOLATION);
  }
  TFileStream exclusive(path, TFileStream::Mode::OpenRead, 0);
  EXPECT_THROW(TFileStream(path, TFileStream::Mode::OpenRead, platform::FILE_SHARE_READ), platform::EFOpenError);
}

TEST(FileStream, PrivateReadsRefuseALinkInTheLastPlace) {
  const std::string target = WriteTempFile("link-target.bin", "other movie");
  const std::string link = testing::TempDir() + "link.bin";
  std::remove(link.c_str());
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  EXPECT_THROW(TFileStream(link, TFileStream::Mode::OpenRead, 0, /*followLinks=*/false), platform::EFOpenError);
  EXPECT_NO_THROW(TFileStream(link, TFileStream::Mode::OpenRead, 0));
  EXPECT_NO_THROW(TFileStream(target, TFileStream::Mode::OpenRead, 0, false));
  std::remove(link.c_str());
}

TEST(FileStream, MissingFileNamesPathAndReason) {
  try {
    TFileStream file(testing::TempDir() + "missing.bin", TFileStream::Mode::OpenRead);
    FAIL();
  } catch (const platform::EFOpenError& e) {
    EXPECT_NE(std::string(e.what()).find("missing.bin\"."), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("No such file"), std::string::npos) << e.what();
  }
}

// A file stream that counts what it asks of the system.
class CountedFileStream : public TFileStream {
 public:
  using TFileStream::TFileStream;
  int64_t Read(void* buffer, int64_t count) override {
    ++calls;
    return TFileStream::Read(buffer, count);
  }
  int64_t Seek(int64_t offset, platform::SeekOrigin origin) override {
    ++calls;
    return TFileStream::Seek(offset, origin);
  }
  int calls = 0;
};

TEST(ReadAheadStream, GivesTheFileAsItIsForFewCallsAndLeavesItWhereItWasReadTo) {
  std::string content(300000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 + i / 251);
  const std::string path = WriteTempFile("ahead.bin", content);
  CountedFileStream file(path, TFileStream::Mode::OpenRead);
  file.SetPosition(10);
  std::string read;
  {
    platform::TReadAheadStream ahead(file);
    file.calls = 0;
    EXPECT_EQ(ahead.Size(), 300000);
    EXPECT_EQ(ahead.Position(), 10);
    // Fields of a few bytes, one across the end of a piece, a skip back and
    // forth, a large read and one past the end.
    char field[300];
    for (int i = 0; i < 2000; ++i) {
      ahead.ReadBuffer(field, 37);
      read.append(field, 37);
    }
    EXPECT_EQ(read, content.substr(10, read.size()));
    ahead.Seek(-100, platform::SeekOrigin::Current);
    ahead.ReadBuffer(field, 100);
    EXPECT_EQ(std::string(field, 100), content.substr(ahead.Position() - 100, 100));
    std::string large(150000, '\0');
    ahead.ReadBuffer(large.data(), 150000);
    EXPECT_EQ(large, content.substr(ahead.Position() - 150000, 150000));
    ahead.SetPosition(299990);
    EXPECT_EQ(ahead.Read(field, 300), 10);
    EXPECT_EQ(std::string(field, 10), content.substr(299990));
    EXPECT_EQ(ahead.Read(field, 1), 0);
    EXPECT_THROW(ahead.ReadBuffer(field, 1), platform::EReadError);
    // 74,000 bytes in fields were two pieces; the large read went through.
    EXPECT_LE(file.calls, 12);
    ahead.SetPosition(1234);
  }
  EXPECT_EQ(file.Position(), 1234);
  char next[4];
  file.ReadBuffer(next, 4);
  EXPECT_EQ(std::string(next, 4), content.substr(1234, 4));
}

}  // namespace
