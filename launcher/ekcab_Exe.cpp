// The program at the front of a packaged movie: writes the cabinet library
// and the player that it carries into the private temporary folder and starts
// the player on the packaged movie, its own file. With "/extract" it writes
// them next to itself instead and starts nothing. It never reads its own file,
// so any amount of data may be appended behind it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>

#include "Files.h"
#include "Resources.h"
#include "Shell.h"

namespace {

// The program's own full path, as the system reports the running program's file.
std::string OwnPath() {
  char buffer[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

[[noreturn]] void CannotWrite(const std::string& path, int error) {
  throw std::runtime_error("Can't write " + path + ": " + std::strerror(error));
}

// Replaces the file by the bytes: written beside it and renamed over it, so
// that a copy still loaded by a running player is never cut under it.
void WriteResource(const std::string& path, const TResource& resource, mode_t mode) {
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) CannotWrite(path, errno);
  int error = ::fchmod(fd, mode) == 0 ? 0 : errno;
  for (size_t done = 0; error == 0 && done < resource.size;) {
    const ssize_t n = ::write(fd, resource.bytes + done, resource.size - done);
    if (n > 0)
      done += static_cast<size_t>(n);
    else if (n < 0 && errno != EINTR)
      error = errno;
  }
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error == 0) return;
  ::unlink(temporary.c_str());
  CannotWrite(path, error);
}

void WriteResource(const std::string& folder, const char* type, const char* name, const char* file, mode_t mode,
                   bool clearPlace) {
  const std::optional<TResource> resource = FindResource(type, name);
  if (!resource) throw std::runtime_error(std::string("Resource ") + name + " not found");
  // A link at the place is replaced by the rename, never followed.
  if (clearPlace) platform::RemoveFolderAt(folder + file);
  WriteResource(folder + file, *resource, mode);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const bool extractOnly = argc > 1 && std::string(argv[1]) == "/extract";
    const std::string ownPath = OwnPath();
    const std::string targetFolder = extractOnly ? platform::ExtractFilePath(ownPath) : platform::GetTempPath();
    // Beside the packaged movie the folders are the user's: nothing of theirs is removed.
    WriteResource(targetFolder, "TCAB", "CAB", "cabinet.dll", 0644, !extractOnly);
    WriteResource(targetFolder, "TEKPLAYER", "EKPLAYER", "ekPlayer.exe", 0755, !extractOnly);
    if (!extractOnly) {
      const std::string argument = !ownPath.empty() && ownPath.front() == '"' ? ownPath : '"' + ownPath + '"';
      if (!platform::ShellExecute(targetFolder + "ekPlayer.exe", {argument}))
        throw std::runtime_error("Can't start " + targetFolder + "ekPlayer.exe");
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
