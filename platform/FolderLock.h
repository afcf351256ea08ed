// One folder held by one program at a time: players of the same user share
// their private temporary folder, and the fixed names in it.
#pragma once

#include <chrono>
#include <string>

namespace platform {

class TFolderLock {
 public:
  // Waits up to `wait` for every other holder of the folder to let go.
  TFolderLock(const std::string& folder, std::chrono::milliseconds wait);
  ~TFolderLock();
  TFolderLock(const TFolderLock&) = delete;
  TFolderLock& operator=(const TFolderLock&) = delete;

  bool Held() const { return held_; }

 private:
  int fd_ = -1;
  bool held_ = false;
};

}  // namespace platform
