#include "FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <thread>

namespace platform {

TFolderLock::TFolderLock(const std::string& folder, std::chrono::milliseconds wait) {
  // The folder itself carries the lock: no lock file that anyone could plant or remove.
  fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd_ < 0) return;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
      held_ = true;
      return;
    }
    if (std::chrono::steady_clock::now() >= deadline) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

TFolderLock::~TFolderLock() {
  // Closing lets go of the lock.
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace platform
