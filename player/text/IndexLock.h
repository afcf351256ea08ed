// The one program that reads a movie's text at a time: a lock file beside
// the movie's cache, held until the lock goes out of scope or the program
// ends, however it ends.
#pragma once

#include <string>

class TIndexLock {
 public:
  // Waits for the lock when `wait`, else takes it only when it is free.
  TIndexLock(const std::string& folder, const std::string& key, bool wait);
  ~TIndexLock();
  TIndexLock(const TIndexLock&) = delete;
  TIndexLock& operator=(const TIndexLock&) = delete;

  bool Held() const { return held_; }

 private:
  int fd_ = -1;
  bool held_ = false;
};
