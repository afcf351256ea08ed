// The program at the front of a packaged movie: writes the cabinet library
// and the player that it carries into the private temporary folder and starts
// the player on the packaged movie, its own file. With "/extract" it writes
// them next to itself instead and starts nothing. It never reads its own file,
// so any amount of data may be appended behind it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
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

// Replaces the file by the bytes: written beside it and renamed over it, so
// that a copy still loaded by a running player is never cut under it. A
// failure is skipped without a word: a copy already there serves.
void WriteResource(const std::string& path, const TResource& resource, mode_t mode) {
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return;
  bool written = ::fchmod(fd, mode) == 0;
  for (size_t done = 0; written && done < resource.size;) {
    const ssize_t n = ::write(fd, resource.bytes + done, resource.size - done);
    written = n > 0;
    if (written) done += static_cast<size_t>(n);
  }
  written = ::close(fd) == 0 && written;
  if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) ::unlink(temporary.c_str());
}

void WriteResource(const std::string& folder, const char* type, const char* name, const char* file, mode_t mode) {
  const std::optional<TResource> resource = FindResource(type, name);
  if (!resource) throw std::runtime_error(std::string("Resource ") + name + " not found");
  WriteResource(folder + file, *resource, mode);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const bool extractOnly = argc > 1 && std::string(argv[1]) == "/extract";
    const std::string ownPath = OwnPath();
    const std::string targetFolder = extractOnly ? platform::ExtractFilePath(ownPath) : platform::GetTempPath();
    WriteResource(targetFolder, "TCAB", "CAB", "cabinet.dll", 0644);
    WriteResource(targetFolder, "TEKPLAYER", "EKPLAYER", "ekPlayer.exe", 0755);
    if (!extractOnly) {
      const std::string argument = !ownPath.empty() && ownPath.front() == '"' ? ownPath : '"' + ownPath + '"';
      (void)platform::ShellExecute(targetFolder + "ekPlayer.exe", {argument});
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
