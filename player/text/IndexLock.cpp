#include "IndexLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "Exception.h"

TIndexLock::TIndexLock(const std::string& folder, const std::string& key, bool wait) {
  const std::string path = folder + "/" + key + ".lock";
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd_ < 0) throw platform::Exception("can't open " + path + ": " + std::strerror(errno));
  int code = 0;
  do code = ::flock(fd_, LOCK_EX | (wait ? 0 : LOCK_NB));
  while (code != 0 && errno == EINTR);
  held_ = code == 0;
  if (!held_ && errno != EWOULDBLOCK) throw platform::Exception("can't lock " + path + ": " + std::strerror(errno));
}

TIndexLock::~TIndexLock() {
  if (fd_ >= 0) ::close(fd_);
}
