#include "TextSearch.h"

#include <algorithm>

#include "WordVariants.h"

namespace {

constexpr size_t kLeastMisreadLetters = 5;

std::string Quoted(const std::string& word) {
  std::string quoted = "\"";
  for (const char c : word) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

}  // namespace

std::vector<std::string> QueryWords(const std::string& query) {
  // The index's own tokenizer folds the query, so that both agree on every letter.
  TSqliteDatabase db(":memory:");
  db.Execute(
      "CREATE VIRTUAL TABLE query USING fts5(words, tokenize = 'unicode61 remove_diacritics 2');"
      "CREATE VIRTUAL TABLE temp.query_words USING fts5vocab(main, query, 'instance');");
  TSqliteStatement insert(db, "INSERT INTO query VALUES(?)");
  insert.Bind(1, FoldYo(query)).Step();
  std::vector<std::string> words;
  TSqliteStatement select(db, "SELECT term FROM temp.query_words ORDER BY offset");
  while (select.Step()) {
    const std::string word = select.Text(0);
    if (std::find(words.begin(), words.end(), word) == words.end()) words.push_back(word);
  }
  return words;
}

std::vector<TTextLine> SearchCache(const TTextCache& cache, const std::vector<std::string>& words) {
  if (words.empty()) return {};
  std::string match;
  for (const std::string& word : words) {
    std::string either = Quoted(word) + "*";
    if (LetterCount(word) >= kLeastMisreadLetters)
      for (const std::string& similar : cache.SimilarWords(word))
        if (similar != word) either += " OR " + Quoted(similar);
    match += (match.empty() ? "(" : " AND (") + either + ")";
  }
  return cache.Find(match);
}
