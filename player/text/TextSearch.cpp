#include "TextSearch.h"

#include <algorithm>
#include <atomic>
#include <thread>

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

std::vector<TMovieHits> SearchCaches(const std::string& folder, const std::vector<std::string>& keys,
                                     const std::vector<std::string>& words) {
  std::vector<TMovieHits> found(keys.size());
  std::atomic<size_t> next{0};
  // Each cache is a file of its own, opened, read and closed by one thread.
  auto work = [&] {
    for (size_t i = next++; i < keys.size(); i = next++) {
      try {
        const auto cache = TTextCache::OpenToRead(folder, keys[i]);
        if (!cache || !cache->Complete()) continue;
        found[i].segments = cache->Segments();
        found[i].lines = SearchCache(*cache, words);
        found[i].read = true;
      } catch (const std::exception&) {
        // A cache that fails as it is read counts as not read.
        found[i] = TMovieHits{};
      }
    }
  };
  const size_t threads = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, std::max<size_t>(keys.size(), 1));
  std::vector<std::thread> helpers;
  for (size_t t = 1; t < threads; ++t) helpers.emplace_back(work);
  work();
  for (std::thread& helper : helpers) helper.join();
  return found;
}
