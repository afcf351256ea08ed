// The text cache and its search: what a query finds, and that a cache that
// can't be trusted is begun afresh and never read.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "TextCache.h"
#include "TextCacheFolder.h"
#include "TextSearch.h"
#include "WordVariants.h"

namespace {

const std::vector<TSegmentText> kSegments = {{"Первый", 5, 100, 640, 480}, {"Second", 10, 50, 320, 200}};

std::string KeyFor(int n) { return std::string(60, 'a') + std::to_string(1000 + n); }

void Fill(TTextCache& cache, bool complete) {
  cache.Begin(kSegments);
  const std::vector<std::string> texts = {"Настройки печати", "Ёлка и ОБЪЁМ",  "Print Settings",
                                          "Параметры страницы", "install package", "Font"};
  int32_t frame = 0;
  for (const std::string& text : texts) {
    cache.Add({0, frame, frame + 4, {10, 10 + frame, 100, 14}, text});
    frame += 5;
  }
  cache.Add({1, 3, 7, {0, 0, 50, 12}, "Print preview"});
  cache.Commit(150, complete);
}

std::vector<std::string> Found(const TTextCache& cache, const std::string& query) {
  std::vector<std::string> texts;
  for (const TTextLine& line : SearchCache(cache, QueryWords(query))) texts.push_back(line.text);
  return texts;
}

class TextSearch : public ::testing::TestWithParam<bool> {};

TEST_P(TextSearch, WordsPrefixesCaseYoAndOneWrongLetterInLongerWords) {
  const std::string folder = TextCacheFolder();
  TTextCache cache(folder, KeyFor(GetParam()));
  Fill(cache, GetParam());
  using V = std::vector<std::string>;
  EXPECT_EQ(Found(cache, "печати"), V{"Настройки печати"});
  EXPECT_EQ(Found(cache, "ПЕЧАТИ"), V{"Настройки печати"});
  EXPECT_EQ(Found(cache, "печ"), V{"Настройки печати"});
  EXPECT_EQ(Found(cache, "елка"), V{"Ёлка и ОБЪЁМ"});
  EXPECT_EQ(Found(cache, "объем"), V{"Ёлка и ОБЪЁМ"});
  EXPECT_EQ(Found(cache, "Ёлка"), V{"Ёлка и ОБЪЁМ"});
  // Every word must be on the line; order and punctuation don't matter.
  EXPECT_EQ(Found(cache, "settings, print"), V{"Print Settings"});
  EXPECT_EQ(Found(cache, "print"), (V{"Print Settings", "Print preview"}));
  EXPECT_EQ(Found(cache, "print страницы"), V{});
  // One letter left out, added or changed in a word of five letters and more.
  EXPECT_EQ(Found(cache, "Праметры"), V{"Параметры страницы"});
  EXPECT_EQ(Found(cache, "Параметри"), V{"Параметры страницы"});
  EXPECT_EQ(Found(cache, "Параметрыы"), V{"Параметры страницы"});
  EXPECT_EQ(Found(cache, "Sattings"), V{"Print Settings"});
  EXPECT_EQ(Found(cache, "packege instal"), V{"install package"});
  // Two letters wrong, or one in a short word, is another word.
  EXPECT_EQ(Found(cache, "Прамтры"), V{});
  EXPECT_EQ(Found(cache, "Fond"), V{});
  EXPECT_EQ(Found(cache, "  ,; "), V{});
}

INSTANTIATE_TEST_SUITE_P(ReadWholeAndInPart, TextSearch, ::testing::Bool());

TEST(WordVariants, LettersNotBytes) {
  EXPECT_EQ(WordVariants("ёлка"), (std::vector<std::string>{"лка", "ёка", "ёла", "ёлк"}));
  EXPECT_EQ(WordVariants("aab"), (std::vector<std::string>{"ab", "aa"}));
  EXPECT_TRUE(OneLetterApart("печати", "печатн"));
  EXPECT_TRUE(OneLetterApart("печати", "печат"));
  EXPECT_TRUE(OneLetterApart("печати", "печаати"));
  EXPECT_FALSE(OneLetterApart("печати", "пчаит"));
  EXPECT_FALSE(OneLetterApart("печати", "печатями"));
}

void Overwrite(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void Execute(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);
}

TEST(TextCache, ACacheThatCantBeTrustedIsNeverReadAndIsBegunAfresh) {
  const std::string folder = TextCacheFolder();
  const std::string key = KeyFor(10);
  const std::string path = folder + "/" + key + ".sqlite";
  auto fresh = [&] {
    TTextCache cache(folder, key);
    Fill(cache, true);
  };
  struct TDamage {
    const char* what;
    std::function<void()> damage;
  };
  const std::vector<TDamage> damages = {
      {"not a database", [&] { Overwrite(path, std::string(5000, 'x')); }},
      {"cut short", [&] { std::filesystem::resize_file(path, 1500); }},
      {"another movie's", [&] { Execute(path, "UPDATE meta SET value = 'other' WHERE name = 'movie'"); }},
      {"another format", [&] { Execute(path, "UPDATE meta SET value = '99' WHERE name = 'format'"); }},
      {"no lines table", [&] { Execute(path, "DROP TABLE lines"); }},
  };
  for (const TDamage& d : damages) {
    SCOPED_TRACE(d.what);
    fresh();
    d.damage();
    EXPECT_EQ(TTextCache::OpenToRead(folder, key), nullptr);
    TTextCache rebuilt(folder, key);
    EXPECT_FALSE(rebuilt.Complete());
    EXPECT_TRUE(rebuilt.Lines().empty());
  }
}

TEST(TextCache, LinesThatDontFitTheirSegmentAreLeftOut) {
  const std::string folder = TextCacheFolder();
  const std::string key = KeyFor(11);
  {
    TTextCache cache(folder, key);
    Fill(cache, true);
  }
  const std::string path = folder + "/" + key + ".sqlite";
  Execute(path,
          "UPDATE lines SET x = 600 WHERE text = 'Font';"                       // past the right edge
          "UPDATE lines SET segment = 7 WHERE text = 'install package';"        // no such segment
          "UPDATE lines SET last = 100 WHERE text = 'Print Settings';"          // past the segment's end
          "UPDATE lines SET first = 9, last = 8 WHERE text = 'Ёлка и ОБЪЁМ';"  // ends before it begins
          "UPDATE lines SET text = CAST(X'C3' AS TEXT) WHERE text = 'Print preview';");
  const auto cache = TTextCache::OpenToRead(folder, key);
  ASSERT_NE(cache, nullptr);
  std::vector<std::string> texts;
  for (const TTextLine& line : cache->Lines()) texts.push_back(line.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"Настройки печати", "Параметры страницы"}));
}

}  // namespace
