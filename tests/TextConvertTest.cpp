// ekconvert text and search as a user runs them: on cabinets made by gcab,
// copied and renamed, on folders, on hostile files, with a damaged cache.
#include <gtest/gtest.h>

#include <filesystem>

#include "CabinetFixtures.h"
#include "ConvertRun.h"
#include "MovieWriter.h"
#include "TextCorpus.h"

namespace fs = std::filesystem;
using namespace fixtures;

namespace {

class TextCommands : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = FreshFolder(std::string("text-") + testing::UnitTest::GetInstance()->current_test_info()->name());
    // Each test's own cache, so that what it reads it reads itself.
    cache_ = folder_ + "cache";
    ::setenv("XDG_CACHE_HOME", cache_.c_str(), 1);
    fs::create_directories(folder_ + "tmp");
    ::setenv("TMPDIR", (folder_ + "tmp").c_str(), 1);
  }

  // A cabinet of a movie with the corpus's words in one size.
  std::string CorpusCabinet(const std::string& name, const std::string& font, int points) {
    fs::create_directories(folder_ + "movie");
    const auto bytes = moviewriter::WriteMovie(MakeCorpusMovie(font, {points}).segments).bytes;
    WriteFile(folder_ + "movie/MyFilm.~ekflm", std::string(bytes.begin(), bytes.end()));
    MakeCabinet(folder_ + "movie/", folder_ + name, {"MyFilm.~ekflm"}, true);
    return folder_ + name;
  }

  size_t CacheFiles() const {
    size_t count = 0;
    for (const auto& entry : fs::directory_iterator(cache_ + "/ekPlayer/text"))
      count += entry.path().extension() == ".sqlite" && entry.path().filename() != "places.sqlite";
    return count;
  }

  std::string folder_, cache_;
};

TEST_F(TextCommands, TextPrintsTheLinesAndSearchFindsThemInCopiesWithoutReadingAgain) {
  const std::string cabinet = CorpusCabinet("lesson.ekcab", "DejaVu Sans", 12);
  const ConvertRun text = Convert("text '" + cabinet + "'");
  ASSERT_EQ(text.status, 0) << text.err;
  // Segment, start, end, box, line.
  EXPECT_NE(text.out.find("1\t00:00:00.400\t"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("Настройки"), std::string::npos) << text.out;
  const ConvertRun json = Convert("text '" + cabinet + "' --json");
  EXPECT_EQ(json.out.rfind("{\"file\": ", 0), 0u);
  EXPECT_NE(json.out.find("\"box\": ["), std::string::npos);

  fs::create_directories(folder_ + "shelf/deeper");
  fs::copy_file(cabinet, folder_ + "shelf/deeper/copy.EKCAB");
  fs::copy_file(cabinet, folder_ + "shelf/other.exe.ekcab");
  // A name a hostile download could have: it must not drive the terminal or split the line.
  fs::copy_file(cabinet, folder_ + "shelf/\x1b]2;owned\x07\nname.ekcab");
  fs::remove_all(folder_ + "movie");
  const ConvertRun search = Convert("search 'ПЕЧАТИ документ' '" + cabinet + "' '" + folder_ + "shelf'");
  EXPECT_EQ(search.status, 0) << search.err << search.out;
  EXPECT_NE(search.out.find(cabinet + "\t1\t00:00:00.400\tпечати Документ"), std::string::npos) << search.out;
  EXPECT_NE(search.out.find("shelf/deeper/copy.EKCAB\t1\t"), std::string::npos) << search.out;
  EXPECT_NE(search.out.find("shelf/other.exe.ekcab\t1\t"), std::string::npos) << search.out;
  EXPECT_NE(search.out.find("shelf/?]2;owned??name.ekcab\t1\t"), std::string::npos) << search.out;
  EXPECT_EQ(search.out.find('\x1b'), std::string::npos);
  // Three files of one movie: its text was read once.
  EXPECT_EQ(CacheFiles(), 1u);

  const ConvertRun none = Convert("search 'нет такого слова' '" + folder_ + "shelf' --json");
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.out, "{\"query\": \"нет такого слова\", \"hits\": []}\n");
}

TEST_F(TextCommands, HostileAndDamagedMoviesGetTheOtherCommandsMessagesAndOthersAreStillSearched) {
  WriteFile(folder_ + "junk.ekcab", "not a cabinet" + std::string(100, '.'));
  WriteFile(folder_ + "trailer.exe", std::string("MZ\x10\x27\0\0", 6));
  auto cut = moviewriter::WriteMovie(MakeCorpusMovie("Liberation Sans", {11}).segments).bytes;
  cut.resize(cut.size() / 2);
  WriteFile(folder_ + "cut.~ekflm", std::string(cut.begin(), cut.end()));
  for (const char* name : {"junk.ekcab", "trailer.exe", "cut.~ekflm", "missing.ekcab"}) {
    SCOPED_TRACE(name);
    const ConvertRun info = Convert(std::string("info '") + folder_ + name + "'");
    const ConvertRun text = Convert(std::string("text '") + folder_ + name + "'");
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.err, info.err);
  }
  CorpusCabinet("good.ekcab", "Liberation Sans", 11);
  const ConvertRun search = Convert("search Документ '" + folder_ + "' --jobs 2");
  EXPECT_EQ(search.status, 0) << search.err << search.out;
  EXPECT_NE(search.out.find("good.ekcab\t1\t"), std::string::npos) << search.out;
  EXPECT_NE(search.err.find("junk.ekcab: not a cabinet or packaged movie"), std::string::npos) << search.err;
  EXPECT_NE(search.err.find("cut.~ekflm: "), std::string::npos) << search.err;
  // Nothing of any reading is left behind in the temporary folder.
  EXPECT_TRUE(fs::is_empty(folder_ + "tmp"));
  EXPECT_EQ(Convert("search").status, 2);
  EXPECT_EQ(Convert("search word").status, 2);
  EXPECT_EQ(Convert("search word x --jobs 0").status, 2);
  EXPECT_EQ(Convert("text a b").status, 2);
}

TEST_F(TextCommands, ADamagedCacheIsReadAgainFromTheMovie) {
  const std::string cabinet = CorpusCabinet("lesson.ekcab", "DejaVu Sans Mono", 12);
  const ConvertRun first = Convert("text '" + cabinet + "'");
  ASSERT_EQ(first.status, 0) << first.err;
  ASSERT_FALSE(first.out.empty());
  for (const auto& entry : fs::directory_iterator(cache_ + "/ekPlayer/text"))
    if (entry.path().extension() == ".sqlite") WriteFile(entry.path().string(), std::string(4096, '\x7f'));
  const ConvertRun again = Convert("text '" + cabinet + "'");
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, first.out);
}

}  // namespace
