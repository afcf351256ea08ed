// The text read off one movie, kept between runs in a SQLite file named by
// the movie's key, with a full-text index of its lines. A cache that can't
// be read, is of another format or names another movie is thrown away and
// begun afresh; lines that don't fit the movie's segments are never given.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "SqliteDatabase.h"
#include "TextLine.h"

struct TSegmentText {
  std::string name;  // UTF-8
  int frameRate = 0;
  int32_t frames = 0;
  int width = 0, height = 0;
};

class TTextCache {
 public:
  static constexpr int kFormat = 1;

  // The cache of the movie `key` in `folder` for its writer, who holds its
  // lock: made when missing, begun afresh when it can't be trusted.
  TTextCache(const std::string& folder, const std::string& key);
  // The cache for reading only, changed by nobody; none when it is missing
  // or can't be trusted.
  static std::unique_ptr<TTextCache> OpenToRead(const std::string& folder, const std::string& key);

  const std::string& Path() const { return path_; }
  // Every frame of the movie was read.
  bool Complete() const;
  // Frames read so far and the movie's frames in all.
  int64_t FramesRead() const;
  int64_t FramesInAll() const;
  std::vector<TSegmentText> Segments() const;

  // Writing, by the one program that holds the cache's lock: everything
  // read before is forgotten and the movie's segments recorded.
  void Begin(const std::vector<TSegmentText>& segments);
  void Add(const TTextLine& line);
  // What was added is kept, and that `framesRead` frames were read.
  void Commit(int64_t framesRead, bool complete);

  // Every line, in the order of the movie.
  std::vector<TTextLine> Lines() const;
  // The lines that match a full-text query, in the order of the movie.
  std::vector<TTextLine> Find(const std::string& match) const;
  // The distinct words of the index, as the index folds them.
  std::vector<std::string> Words() const;
  // The words of the index one letter apart from `word` (folded as the index
  // folds), itself included when it is there.
  std::vector<std::string> SimilarWords(const std::string& word) const;
  // Words shorter than this are not looked for with a letter wrong.
  static constexpr size_t kLeastVariedLetters = 4;

 private:
  TTextCache(const std::string& path, const std::string& key, int) : path_(path), key_(key) {}
  void Open();
  void Create();
  bool Sound() const;
  std::vector<TTextLine> Select(const std::string& where, const std::string& match) const;
  std::string Meta(const std::string& name) const;
  void SetMeta(const std::string& name, const std::string& value);

  std::string path_;
  std::string key_;
  std::unique_ptr<TSqliteDatabase> db_;
  std::vector<TSegmentText> segments_;
  bool inTransaction_ = false;
  // The table of the index's words is made when first asked for.
  void NeedWords() const;
  mutable bool wordsTable_ = false;
};

// ё and Ё as е and Е, as the index keeps words: the recognizer mixes them up.
std::string FoldYo(std::string text);
