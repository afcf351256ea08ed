// What a movie's text cache is named by: the SHA-256 of the file's bytes, so
// that a movie copied or renamed finds the text already read. The files
// hashed before are remembered by their place, identity, size and time of
// change, so that a movie on the shelf is not read again to be searched.
#pragma once

#include <memory>
#include <string>

class TSqliteDatabase;

class TMovieKeys {
 public:
  // The remembered places in the cache folder; without them every file is hashed.
  explicit TMovieKeys(const std::string& cacheFolder);
  ~TMovieKeys();
  TMovieKeys(const TMovieKeys&) = delete;
  TMovieKeys& operator=(const TMovieKeys&) = delete;

  // 64 hexadecimal digits. Throws platform::Exception when the file can't be read.
  std::string KeyOf(const std::string& path);

 private:
  std::string placesPath_;
  std::unique_ptr<TSqliteDatabase> places_;
};
