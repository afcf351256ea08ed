#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>

#include "CabIntf.h"
#include "CabSTComps.h"
#include "CabinetFixtures.h"
#include "CabinetNames.h"
#include "Files.h"
#include "Win32Error.h"

namespace fs = std::filesystem;
using namespace fixtures;

namespace {

class Cabinet : public testing::Test {
 protected:
  void SetUp() override { cabintf::SetLibraryFolders({BuildFolder() + "player/"}); }
};

// The name a file is listed under in the corpus, as the reader writes it.
std::string ListedPath(const std::string& folder, const std::string& name) {
  std::string path = name;
  for (char& c : path)
    if (c == '\\') c = '/';
  return folder + path;
}

TEST_F(Cabinet, CorpusThroughTheReader) {
  const std::string corpus = CorpusFolder();
  if (corpus.empty()) GTEST_SKIP() << "../shared/corpus is absent: the third-party cabinets are not checked";
  const auto entries = CorpusEntries();
  ASSERT_GT(entries.size(), 50u);
  for (const CorpusEntry& entry : entries) {
    SCOPED_TRACE(entry.file);
    const std::string out = FreshFolder("corpus/" + entry.file);
    const std::string outside = FreshFolder("corpus-outside/" + entry.file);
    TSTCabReader reader;
    const auto start = std::chrono::steady_clock::now();
    bool failed = false;
    try {
      reader.ExtractFiles(corpus + entry.file, out);
    } catch (const ESTCabinet&) { failed = true; }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_TRUE(fs::is_empty(outside));
    const bool hostile = entry.file == "dirwalk-vulns.cab";
    const bool searchOnly = entry.file.rfind("search_", 0) == 0;
    if (!entry.ok || searchOnly || hostile) {
      EXPECT_TRUE(failed);
      continue;
    }
    EXPECT_FALSE(failed);
    // A later part of a set holds only the ends of the files begun before it.
    const bool laterPart = entry.file.rfind("cabd_multi_basic_pt", 0) == 0 && entry.file != "cabd_multi_basic_pt1.cab";
    for (const auto& [name, md5] : entry.md5) {
      if (laterPart && !fs::exists(ListedPath(out, name))) continue;
      EXPECT_EQ(Md5(ListedPath(out, name)), md5) << name;
    }
  }
}

TEST_F(Cabinet, CorpusThroughAPlainCClient) {
  const std::string corpus = CorpusFolder();
  if (corpus.empty()) GTEST_SKIP() << "../shared/corpus is absent: the third-party cabinets are not checked";
  for (const CorpusEntry& entry : CorpusEntries()) {
    if (!entry.ok || entry.file.rfind("search_", 0) == 0 || entry.file == "dirwalk-vulns.cab") continue;
    SCOPED_TRACE(entry.file);
    const std::string out = FreshFolder("client/" + entry.file);
    const std::string command = BuildFolder() + "tests/fdi_client '" + BuildFolder() + "player/cabinet.dll' '" +
                                corpus + "' '" + entry.file + "' '" + out + "' > '" + out + "list'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::istringstream list(ReadFile(out + "list"));
    std::string name;
    int files = 0;
    while (std::getline(list, name)) {
      std::string flat = name;
      for (char& c : flat)
        if (c == '/' || c == '\\') c = '_';
      std::string listed = name;
      for (char& c : listed)
        if (c == '\\') c = '/';
      ASSERT_TRUE(entry.md5.count(listed)) << name;
      EXPECT_EQ(Md5(out + flat), entry.md5.at(listed)) << name;
      ++files;
    }
    if (entry.file.rfind("cabd_multi_basic_pt", 0) != 0 || entry.file == "cabd_multi_basic_pt1.cab") {
      EXPECT_GT(files, 0);
    }
  }
}

TEST_F(Cabinet, SetExtractsFromAnyPart) {
  const std::string corpus = CorpusFolder();
  if (corpus.empty()) GTEST_SKIP() << "../shared/corpus is absent: the third-party cabinets are not checked";
  std::map<std::string, std::string> md5;
  for (const CorpusEntry& e : CorpusEntries())
    if (e.file == "cabd_multi_basic_pt1.cab") md5 = e.md5;
  for (int part = 1; part <= 5; ++part) {
    const std::string out = FreshFolder("set" + std::to_string(part));
    TSTCabReader reader;
    ASSERT_NO_THROW(reader.ExtractFiles(corpus + "cabd_multi_basic_pt" + std::to_string(part) + ".cab", out));
    int found = 0;
    for (const auto& [name, sum] : md5) {
      if (!fs::exists(out + name)) continue;
      EXPECT_EQ(Md5(out + name), sum) << part << " " << name;
      ++found;
    }
    if (part == 1) { EXPECT_EQ(found, 3); }
  }
}

TEST_F(Cabinet, ContinuationThatCannotBeOpenedFails) {
  const std::string corpus = CorpusFolder();
  if (corpus.empty()) GTEST_SKIP() << "../shared/corpus is absent: the third-party cabinets are not checked";
  const std::string lonely = FreshFolder("lonely");
  fs::copy_file(corpus + "cabd_multi_basic_pt1.cab", lonely + "cabd_multi_basic_pt1.cab");
  TSTCabReader reader;
  EXPECT_THROW(reader.ExtractFiles(lonely + "cabd_multi_basic_pt1.cab", FreshFolder("lonely-out")), ESTCabinet);
}

// Sets attribute bits of a file in its CFFILE entry, which stand just before its name.
void SetAttributeBits(const std::string& cab, const std::string& name, uint8_t bits) {
  std::string bytes = ReadFile(cab);
  const size_t at = bytes.find(name + '\0');
  ASSERT_NE(at, std::string::npos);
  bytes[at - 2] = static_cast<char>(bytes[at - 2] | bits);
  WriteFile(cab, bytes);
}

class MadeCabinet : public Cabinet {
 protected:
  void SetUp() override {
    Cabinet::SetUp();
    source_ = FreshFolder("source");
    WriteFile(source_ + "MyFilm.~ekflm", std::string(5000, 'm'));
    WriteFile(source_ + "docs/readme.txt", "read me");
    WriteFile(source_ + "docs/deep/more.txt", "more");
    ::chmod((source_ + "docs/readme.txt").c_str(), 0444);
    struct timespec times[2] = {{0, UTIME_OMIT}, {1262304000 + 3600 * 5, 0}};  // 2010-01-01
    ::utimensat(AT_FDCWD, (source_ + "MyFilm.~ekflm").c_str(), times, 0);
  }
  std::string Make(bool compress) {
    const std::string cab = source_ + (compress ? "zip.cab" : "stored.cab");
    MakeCabinet(source_, cab, {"MyFilm.~ekflm", "docs/readme.txt", "docs/deep/more.txt"}, compress);
    SetAttributeBits(cab, "docs\\readme.txt", 0x01 | 0x02 | 0x20);
    return cab;
  }
  std::string source_;
};

TEST_F(MadeCabinet, StoredAndMszipExtractIntoSubfoldersWithDatesAndAttributes) {
  for (bool compress : {false, true}) {
    const std::string out = FreshFolder(compress ? "zip" : "stored");
    TSTCabReader reader;
    reader.ExtractFiles(Make(compress), out);
    EXPECT_EQ(ReadFile(out + "MyFilm.~ekflm"), std::string(5000, 'm'));
    EXPECT_EQ(ReadFile(out + "docs/deep/more.txt"), "more");
    EXPECT_EQ(platform::GetFileAttributes(out + "docs/readme.txt"), platform::FILE_ATTRIBUTE_READONLY);
    struct stat made {
    }, extracted{};
    ::stat((source_ + "MyFilm.~ekflm").c_str(), &made);
    ::stat((out + "MyFilm.~ekflm").c_str(), &extracted);
    EXPECT_LE(std::abs(made.st_mtime - extracted.st_mtime), 2);
    // A second extraction over a read-only file replaces it.
    EXPECT_NO_THROW(reader.ExtractFiles(Make(compress), out));
  }
}

TEST_F(MadeCabinet, LongerExistingTargetIsCut) {
  const std::string out = FreshFolder("cut");
  WriteFile(out + "MyFilm.~ekflm", std::string(9000, 'x'));
  TSTCabReader reader;
  reader.ExtractFiles(Make(true), out);
  EXPECT_EQ(ReadFile(out + "MyFilm.~ekflm"), std::string(5000, 'm'));
}

TEST_F(MadeCabinet, TargetThatIsALinkIsNotFollowed) {
  const std::string out = FreshFolder("link");
  const std::string elsewhere = FreshFolder("link-target") + "victim";
  WriteFile(elsewhere, "keep");
  fs::create_symlink(elsewhere, out + "MyFilm.~ekflm");
  TSTCabReader reader;
  EXPECT_THROW(reader.ExtractFiles(Make(false), out), ESTCabinet);
  EXPECT_EQ(ReadFile(elsewhere), "keep");
}

TEST_F(MadeCabinet, EventsRenameSkipAndAbort) {
  const std::string cab = Make(true);
  const std::string out = FreshFolder("events");
  TSTCabReader reader;
  std::vector<std::string> closed;
  reader.OnCopyFile = [&](TSTCabReader&, const std::string& name, int32_t size, uint16_t, uint16_t, uint16_t, uint16_t,
                          std::string& target, bool&) {
    if (name == "MyFilm.~ekflm") {
      EXPECT_EQ(size, 5000);
      target = out + "renamed";
    }
    if (name.find("more") != std::string::npos) target.clear();
  };
  reader.OnCloseFile = [&](TSTCabReader&, const std::string& name, uint16_t, uint16_t, uint16_t, uint16_t, bool&,
                           const std::string& target, bool&) { closed.push_back(name + ">" + target); };
  reader.ExtractFiles(cab, out);
  EXPECT_EQ(ReadFile(out + "renamed").size(), 5000u);
  EXPECT_FALSE(fs::exists(out + "MyFilm.~ekflm"));
  EXPECT_FALSE(fs::exists(out + "docs/deep/more.txt"));
  ASSERT_EQ(closed.size(), 2u);
  EXPECT_EQ(closed[0], "MyFilm.~ekflm>" + out + "renamed");

  reader.OnCopyFile = [](TSTCabReader&, const std::string&, int32_t, uint16_t, uint16_t, uint16_t, uint16_t,
                         std::string&, bool& abort) { abort = true; };
  try {
    reader.ExtractFiles(cab, out);
    FAIL();
  } catch (const ESTCabinet& e) {
    EXPECT_STREQ(e.what(), "FDI aborted [0x000B]");
    EXPECT_EQ(e.ErrorCode, 11);
  }
  // An error raised by a handler comes out of the extraction as it was.
  reader.OnCopyFile = [](TSTCabReader&, const std::string&, int32_t, uint16_t, uint16_t, uint16_t, uint16_t,
                         std::string&, bool&) { throw std::runtime_error("handler failed"); };
  EXPECT_THROW(reader.ExtractFiles(cab, out), std::runtime_error);
}

TEST_F(MadeCabinet, ReadOnlyTargetsAndRunAfterExtract) {
  const std::string cab = Make(false);
  SetAttributeBits(cab, "MyFilm.~ekflm", 0x40);

  const std::string out = FreshFolder("options");
  WriteFile(out + "docs/readme.txt", "old");
  ::chmod((out + "docs/readme.txt").c_str(), 0444);
  TSTCabReader reader;
  std::vector<std::string> opened;
  reader.ShellOpen = [&](const std::string& path) { opened.push_back(path); };
  reader.Options = {TSTCabReaderOption::croDontOverwriteReadOnlyFiles};
  reader.ExtractFiles(cab, out);
  EXPECT_EQ(ReadFile(out + "docs/readme.txt"), "old");
  EXPECT_TRUE(opened.empty());
  reader.Options = {TSTCabReaderOption::croExecuteOnExtract};
  reader.ExtractFiles(cab, out);
  EXPECT_EQ(ReadFile(out + "docs/readme.txt"), "read me");
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], out + "MyFilm.~ekflm");
}

TEST_F(MadeCabinet, HostileNamesAreRefusedAndNothingLeavesTheFolder) {
  const std::vector<std::pair<std::string, std::string>> names{
      {"abcdefx", "..\\..\\x"}, {"wxyz", "/abs"}, {"qrst", "C:\\x"}, {"abcdefghi", "a\\..\\..\\x"}};
  for (const auto& [plain, hostile] : names) {
    const std::string folder = FreshFolder("hostile-src");
    WriteFile(folder + plain, "payload");
    const std::string cab = folder + "h.cab";
    MakeCabinet(folder, cab, {plain}, false);
    std::string bytes = ReadFile(cab);
    bytes.replace(bytes.find(plain), plain.size(), hostile);
    WriteFile(cab, bytes);
    const std::string root = FreshFolder("hostile-root");
    const std::string out = root + "a/b/dest/";
    fs::create_directories(out);
    TSTCabReader reader;
    try {
      reader.ExtractFiles(cab, out);
      ADD_FAILURE() << hostile;
    } catch (const ESTCabinet& e) { EXPECT_NE(std::string(e.what()).find(hostile), std::string::npos) << e.what(); }
    size_t entries = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) entries += entry.is_regular_file();
    EXPECT_EQ(entries, 0u) << hostile;
  }
}

TEST(CabinetNames, OnlyRelativeNamesBelowTheFolder) {
  EXPECT_EQ(SafeRelativeName("MyFilm.~ekflm"), "MyFilm.~ekflm");
  EXPECT_EQ(SafeRelativeName("a\\b/c.txt"), "a/b/c.txt");
  EXPECT_EQ(SafeRelativeName("a\\.\\b\\\\c"), "a/b/c");
  EXPECT_EQ(SafeRelativeName("..x/y.."), "..x/y..");
  for (const char* bad : {"", "/abs", "\\abs", "C:\\x", "c:x", "..", "..\\..\\x", "a/../../x", "a\\..", "."})
    EXPECT_EQ(SafeRelativeName(bad), std::nullopt) << bad;
}

TEST(CabinetPaths, JoinAndTrailingSeparator) {
  EXPECT_EQ(AddTrailingBackslash(""), "");
  EXPECT_EQ(AddTrailingBackslash("/tmp"), "/tmp/");
  EXPECT_EQ(AddTrailingBackslash("/tmp/"), "/tmp/");
  EXPECT_EQ(JoinPath({"", "/tmp/", "/a", "b", "", "c/"}), "/tmp/a/b/c/");
  EXPECT_EQ(JoinPath({}), "");
}

TEST(ESTCabinetMessage, LibraryAndOperatingSystemTexts) {
  EXPECT_EQ(std::string(ESTCabinet(ERF{1, 2, 1}, false).what()),
            "Cabinet not found [0x0001].\r\n" + platform::SysErrorMessage(2) + " [0x0002].");
  EXPECT_STREQ(ESTCabinet(ERF{11, 0, 1}, false).what(), "FDI aborted [0x000B]");
  EXPECT_STREQ(ESTCabinet(ERF{99, 0, 1}, false).what(), "FDI error [0x0063]");
  EXPECT_STREQ(ESTCabinet(ERF{4, 0, 0}, false).what(), "FDI error");
  EXPECT_STREQ(ESTCabinet(ERF{7, 0, 1}, true).what(), "Client requested abort [0x0007]");
  EXPECT_STREQ(ESTCabinet(ERF{4, 0, 0}, true).what(), "FCI error");
}

TEST_F(Cabinet, MissingCabinetNamesTheOperatingSystemError) {
  TSTCabReader reader;
  try {
    reader.ExtractFiles(FreshFolder("none") + "missing.cab", FreshFolder("none-out"));
    FAIL();
  } catch (const ESTCabinet& e) {
    EXPECT_EQ(e.ErrorCode, 1);
    EXPECT_EQ(e.OsError, 2);
  }
  EXPECT_TRUE(cabintf::CabinetLibraryLoaded());
}

TEST(CabinetLibrary, MissingLibraryOrEntryPointLeavesNothingLoaded) {
  cabintf::ReleaseCabinetLibrary();
  cabintf::SetLibraryFolders({"/nonexistent/"});
  try {
    TSTCabReader reader;
    reader.ExtractFiles("/tmp/x.cab", "/tmp/");
    FAIL();
  } catch (const platform::EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), platform::ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(std::string(e.what()).rfind("Win32 Error.  Code: 126.\n", 0), 0u);
  }
  EXPECT_FALSE(cabintf::CabinetLibraryLoaded());
  const std::string lacking = FreshFolder("lacking");
  fs::copy_file(BuildFolder() + "tests/libmissing_entry.so", lacking + "cabinet.dll");
  cabintf::SetLibraryFolders({"/nonexistent/", lacking});
  EXPECT_THROW(cabintf::LoadCabinetLibrary(), platform::EOSError);
  EXPECT_FALSE(cabintf::CabinetLibraryLoaded());
  cabintf::SetLibraryFolders({BuildFolder() + "player/"});
  EXPECT_NO_THROW(cabintf::LoadCabinetLibrary());
  EXPECT_TRUE(cabintf::CabinetLibraryLoaded());
}

TEST(CabFileOpen, TranslatesTheRuntimeFlags) {
  const std::string folder = FreshFolder("flags");
  const std::string path = folder + "f.bin";
  WriteFile(path, "0123456789");
  int32_t error = 0;
  // _O_CREAT | _O_WRONLY without _O_TRUNC keeps the contents.
  intptr_t hf = cabintf::CabFileOpen(path.c_str(), EK_O_CREAT | EK_O_WRONLY, &error);
  ASSERT_NE(hf, -1);
  EXPECT_EQ(cabintf::CabFileSeek(hf, 0, 2, &error), 10);
  cabintf::CabFileClose(hf, &error);
  // _O_APPEND answers a handle at the end.
  hf = cabintf::CabFileOpen(path.c_str(), EK_O_RDWR | EK_O_APPEND, &error);
  EXPECT_EQ(cabintf::CabFileSeek(hf, 0, 1, &error), 10);
  cabintf::CabFileClose(hf, &error);
  // _O_EXCL with _O_CREAT refuses an existing file; without _O_CREAT it has no effect.
  EXPECT_EQ(cabintf::CabFileOpen(path.c_str(), EK_O_CREAT | EK_O_EXCL | EK_O_WRONLY, &error), -1);
  EXPECT_EQ(error, static_cast<int32_t>(platform::ERROR_FILE_EXISTS));
  hf = cabintf::CabFileOpen(path.c_str(), EK_O_EXCL | EK_O_RDONLY, &error);
  EXPECT_NE(hf, -1);
  cabintf::CabFileClose(hf, &error);
  // _O_TRUNC cuts; without _O_CREAT a missing file is an error.
  hf = cabintf::CabFileOpen(path.c_str(), EK_O_TRUNC | EK_O_WRONLY, &error);
  EXPECT_EQ(cabintf::CabFileSeek(hf, 0, 2, &error), 0);
  cabintf::CabFileClose(hf, &error);
  EXPECT_EQ(cabintf::CabFileOpen((folder + "missing").c_str(), EK_O_TRUNC | EK_O_WRONLY, &error), -1);
  EXPECT_EQ(error, static_cast<int32_t>(platform::ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(cabintf::CabAlloc(0), nullptr);
  cabintf::CabFree(nullptr);
  EXPECT_EQ(cabintf::SetFileDateTimeAttributes((folder + "missing").c_str(), 0, 0, 1, &error), 0);
}

}  // namespace

namespace {

TEST_F(Cabinet, FileSpanningAGeneratedSetExtractsWhole) {
  std::string data;
  for (int i = 0; i < 200000; ++i) data += static_cast<char>(i * 7 % 251);
  for (int parts : {1, 2, 3}) {
    const std::string folder = FreshFolder("made-set" + std::to_string(parts));
    const std::string first = MakeCabinetSet(folder, "part", "MyFilm.~ekflm", data, parts);
    const std::string out = FreshFolder("made-set-out" + std::to_string(parts));
    TSTCabReader reader;
    ASSERT_NO_THROW(reader.ExtractFiles(first, out)) << parts;
    EXPECT_EQ(ReadFile(out + "MyFilm.~ekflm"), data) << parts;
  }
}

}  // namespace
