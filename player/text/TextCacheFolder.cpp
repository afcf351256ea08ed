#include "TextCacheFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "CodeFolders.h"
#include "Exception.h"

namespace {

// The base folder as the XDG rules give it: a relative $XDG_CACHE_HOME is ignored.
std::string CacheHome() {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (!home || home[0] != '/') throw platform::Exception("neither $XDG_CACHE_HOME nor $HOME names a folder for the text cache");
  return std::string(home) + "/.cache";
}

void MakeFolder(const std::string& path, mode_t mode) {
  if (::mkdir(path.c_str(), mode) != 0 && errno != EEXIST)
    throw platform::Exception("can't make the text cache folder " + path + ": " + std::strerror(errno));
}

}  // namespace

std::string TextCacheFolder() {
  const std::string home = CacheHome();
  // The user's cache home may be missing on a fresh account; it is theirs alone.
  MakeFolder(home, 0700);
  const std::string program = home + "/ekPlayer";
  MakeFolder(program, 0700);
  const std::string folder = program + "/text";
  MakeFolder(folder, 0700);
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
      !platform::OnlyUserAndRootCanWrite(folder))
    throw platform::Exception("the text cache folder " + folder +
                              " is not a folder of this user's that only this user and root can write");
  return folder;
}
