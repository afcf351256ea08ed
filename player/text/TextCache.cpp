#include "TextCache.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include "Exception.h"
#include "WordVariants.h"

namespace {

constexpr const char* kColumns = "segment, first, last, x, y, w, h, text";

void RemoveCacheFiles(const std::string& path) {
  std::error_code error;
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) std::filesystem::remove(path + suffix, error);
}

bool ValidUtf8(const std::string& text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    const size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

}  // namespace

std::string FoldYo(std::string text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '\xD1' && text[i + 1] == '\x91') text[i] = '\xD0', text[i + 1] = '\xB5';       // ё → е
    else if (text[i] == '\xD0' && text[i + 1] == '\x81') text[i] = '\xD0', text[i + 1] = '\x95';  // Ё → Е
  }
  return text;
}

TTextCache::TTextCache(const std::string& folder, const std::string& key)
    : path_(folder + "/" + key + ".sqlite"), key_(key) {
  try {
    Open();
    if (Sound()) {
      segments_ = Segments();
      return;
    }
    db_->Execute(
        "BEGIN IMMEDIATE; DROP TABLE IF EXISTS meta; DROP TABLE IF EXISTS segments; DROP TABLE IF EXISTS lines; "
        "DROP TABLE IF EXISTS variants;");
    Create();
  } catch (const platform::Exception&) {
    // Not a database of ours, or too damaged to be cleared: begun afresh in a new file.
    db_.reset();
    RemoveCacheFiles(path_);
    Open();
    db_->Execute("BEGIN IMMEDIATE");
    Create();
  }
}

std::unique_ptr<TTextCache> TTextCache::OpenToRead(const std::string& folder, const std::string& key) {
  const std::string path = folder + "/" + key + ".sqlite";
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return nullptr;
  std::unique_ptr<TTextCache> cache(new TTextCache(path, key, 0));
  try {
    cache->db_ = std::make_unique<TSqliteDatabase>(path);
    // One read transaction for all the reader asks: the file is locked and
    // checked for changes once, not at every statement, and what is read
    // holds together while a writer goes on.
    cache->db_->Execute("BEGIN");
    if (!cache->Sound()) return nullptr;
    cache->segments_ = cache->Segments();
  } catch (const platform::Exception&) {
    return nullptr;
  }
  return cache;
}

void TTextCache::Open() {
  db_ = std::make_unique<TSqliteDatabase>(path_);
  // The player reads while the converter writes.
  db_->Execute("PRAGMA journal_mode=WAL");
}

void TTextCache::Create() {
  db_->Execute(
      "CREATE TABLE meta(name TEXT PRIMARY KEY, value TEXT);"
      "CREATE TABLE segments(number INTEGER PRIMARY KEY, name TEXT, rate INTEGER, frames INTEGER, width INTEGER, "
      "height INTEGER);"
      // Words are searched in `words`, folded as the query is; `text` is the line as read.
      "CREATE VIRTUAL TABLE lines USING fts5(words, text UNINDEXED, segment UNINDEXED, first UNINDEXED, "
      "last UNINDEXED, x UNINDEXED, y UNINDEXED, w UNINDEXED, h UNINDEXED, "
      "tokenize = 'unicode61 remove_diacritics 2');"
      // Each word of four letters and more, itself and with each of its letters left out, for misread words.
      "CREATE TABLE variants(variant TEXT, word TEXT);"
      "CREATE INDEX variants_by_variant ON variants(variant);");
  SetMeta("format", std::to_string(kFormat));
  SetMeta("movie", key_);
  SetMeta("complete", "0");
  SetMeta("frames_read", "0");
  db_->Execute("COMMIT");
}

bool TTextCache::Sound() const {
  try {
    // One statement for every table the cache must have, as reading starts with every search.
    TSqliteStatement probe(*db_,
                           "SELECT (SELECT value FROM meta WHERE name = 'format'), (SELECT value FROM meta WHERE name "
                           "= 'movie'), (SELECT count(*) FROM segments), (SELECT count(*) FROM (SELECT segment, first, "
                           "last, x, y, w, h, text FROM lines LIMIT 1)), (SELECT count(*) FROM (SELECT variant, word "
                           "FROM variants LIMIT 1))");
    return probe.Step() && probe.Text(0) == std::to_string(kFormat) && probe.Text(1) == key_;
  } catch (const platform::Exception&) {
    return false;
  }
}

void TTextCache::NeedWords() const {
  if (!wordsTable_) db_->Execute("CREATE VIRTUAL TABLE IF NOT EXISTS temp.words USING fts5vocab(main, lines, 'row')");
  wordsTable_ = true;
}

std::string TTextCache::Meta(const std::string& name) const {
  TSqliteStatement select(*db_, "SELECT value FROM meta WHERE name = ?");
  select.Bind(1, name);
  return select.Step() ? select.Text(0) : std::string();
}

void TTextCache::SetMeta(const std::string& name, const std::string& value) {
  TSqliteStatement set(*db_, "INSERT OR REPLACE INTO meta VALUES(?, ?)");
  set.Bind(1, name).Bind(2, value).Step();
}

bool TTextCache::Complete() const { return Meta("complete") == "1"; }

int64_t TTextCache::FramesRead() const {
  const std::string value = Meta("frames_read");
  return value.empty() ? 0 : std::strtoll(value.c_str(), nullptr, 10);
}

int64_t TTextCache::FramesInAll() const {
  int64_t total = 0;
  for (const TSegmentText& s : segments_) total += s.frames;
  return total;
}

std::vector<TSegmentText> TTextCache::Segments() const {
  std::vector<TSegmentText> segments;
  TSqliteStatement select(*db_, "SELECT name, rate, frames, width, height FROM segments ORDER BY number");
  while (select.Step()) {
    TSegmentText s{select.Text(0), static_cast<int>(select.Integer(1)), static_cast<int32_t>(select.Integer(2)),
                   static_cast<int>(select.Integer(3)), static_cast<int>(select.Integer(4))};
    // A segment the player could not have had means the file is not to be trusted.
    if (s.frames < 0 || s.width <= 0 || s.height <= 0 || s.width > 65535 || s.height > 65535 || s.frameRate < 0)
      return {};
    segments.push_back(std::move(s));
  }
  return segments;
}

void TTextCache::Begin(const std::vector<TSegmentText>& segments) {
  db_->Execute("BEGIN IMMEDIATE");
  inTransaction_ = true;
  db_->Execute("DELETE FROM lines; DELETE FROM segments; DELETE FROM variants;");
  TSqliteStatement insert(*db_, "INSERT INTO segments VALUES(?, ?, ?, ?, ?, ?)");
  for (size_t i = 0; i < segments.size(); ++i) {
    const TSegmentText& s = segments[i];
    insert.Bind(1, static_cast<int64_t>(i)).Bind(2, s.name).Bind(3, s.frameRate).Bind(4, s.frames);
    insert.Bind(5, s.width).Bind(6, s.height).Step();
    insert.Reset();
  }
  segments_ = segments;
  SetMeta("complete", "0");
  Commit(0, false);
}

void TTextCache::Add(const TTextLine& line) {
  if (!inTransaction_) {
    db_->Execute("BEGIN IMMEDIATE");
    inTransaction_ = true;
  }
  TSqliteStatement insert(*db_, "INSERT INTO lines(words, text, segment, first, last, x, y, w, h) "
                               "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)");
  insert.Bind(1, FoldYo(line.text)).Bind(2, line.text).Bind(3, line.segment).Bind(4, line.firstFrame);
  insert.Bind(5, line.lastFrame).Bind(6, line.box.x).Bind(7, line.box.y).Bind(8, line.box.width);
  insert.Bind(9, line.box.height).Step();
}

void TTextCache::Commit(int64_t framesRead, bool complete) {
  if (!inTransaction_) {
    db_->Execute("BEGIN IMMEDIATE");
    inTransaction_ = true;
  }
  SetMeta("frames_read", std::to_string(framesRead));
  SetMeta("complete", complete ? "1" : "0");
  if (complete) {
    db_->Execute("DELETE FROM variants");
    TSqliteStatement insert(*db_, "INSERT INTO variants VALUES(?, ?)");
    for (const std::string& word : Words()) {
      if (LetterCount(word) < kLeastVariedLetters) continue;
      // The word is a variant of itself: one look-up finds a word with a letter left out, too.
      insert.Bind(1, word).Bind(2, word).Step();
      insert.Reset();
      for (const std::string& variant : WordVariants(word)) {
        insert.Bind(1, variant).Bind(2, word).Step();
        insert.Reset();
      }
    }
  }
  db_->Execute("COMMIT");
  inTransaction_ = false;
  // Read whole, the cache is only read from here on: without the write-ahead
  // log a search opens one file, not three. Someone reading it now keeps the
  // log a while, which is no harm.
  if (complete) {
    try {
      db_->Execute("PRAGMA journal_mode=DELETE");
    } catch (const platform::Exception&) {
    }
  }
}

std::vector<TTextLine> TTextCache::Select(const std::string& where, const std::string& match) const {
  std::vector<TTextLine> lines;
  TSqliteStatement select(*db_, std::string("SELECT ") + kColumns + " FROM lines " + where);
  if (!match.empty()) select.Bind(1, match);
  while (select.Step()) {
    TTextLine line;
    line.segment = static_cast<int>(select.Integer(0));
    const int64_t first = select.Integer(1), last = select.Integer(2);
    line.box = {static_cast<int>(select.Integer(3)), static_cast<int>(select.Integer(4)),
                static_cast<int>(select.Integer(5)), static_cast<int>(select.Integer(6))};
    line.text = select.Text(7);
    if (line.segment < 0 || static_cast<size_t>(line.segment) >= segments_.size()) continue;
    const TSegmentText& s = segments_[static_cast<size_t>(line.segment)];
    const TTextBox& b = line.box;
    if (first < 0 || first > last || last >= s.frames || b.x < 0 || b.y < 0 || b.width <= 0 || b.height <= 0 ||
        b.x > s.width - b.width || b.y > s.height - b.height || line.text.empty() || !ValidUtf8(line.text))
      continue;
    line.firstFrame = static_cast<int32_t>(first);
    line.lastFrame = static_cast<int32_t>(last);
    lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<TTextLine> TTextCache::Lines() const { return Select("ORDER BY segment, first, y, x", ""); }

std::vector<TTextLine> TTextCache::Find(const std::string& match) const {
  return Select("WHERE lines MATCH ? ORDER BY segment, first, y, x", match);
}

std::vector<std::string> TTextCache::Words() const {
  NeedWords();
  std::vector<std::string> words;
  TSqliteStatement select(*db_, "SELECT term FROM temp.words");
  while (select.Step()) words.push_back(select.Text(0));
  return words;
}

std::vector<std::string> TTextCache::SimilarWords(const std::string& word) const {
  std::vector<std::string> similar;
  auto take = [&](const std::string& candidate) {
    if (OneLetterApart(candidate, word) && std::find(similar.begin(), similar.end(), candidate) == similar.end())
      similar.push_back(candidate);
  };
  if (!Complete()) {
    // Read so far only: the variants are made when the whole movie is read.
    for (const std::string& candidate : Words()) take(candidate);
    return similar;
  }
  TSqliteStatement byVariant(*db_, "SELECT word FROM variants WHERE variant = ?");
  auto collect = [&](const std::string& key) {
    byVariant.Bind(1, key);
    while (byVariant.Step()) take(byVariant.Text(0));
    byVariant.Reset();
  };
  collect(word);
  for (const std::string& variant : WordVariants(word)) collect(variant);
  return similar;
}
