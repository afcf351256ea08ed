#include "CodeFolders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "Files.h"

namespace platform {
namespace {

bool OwnedByUserOrRoot(const struct stat& st) { return st.st_uid == 0 || st.st_uid == ::getuid(); }

bool OthersCanWrite(const struct stat& st) { return st.st_mode & (S_IWGRP | S_IWOTH); }

}  // namespace

bool OnlyUserAndRootCanWrite(const std::string& folder) {
  const std::optional<std::string> real = RealPath(folder);
  if (!real) return false;
  std::string at = *real;
  bool last = true;
  for (;;) {
    struct stat st {};
    if (::lstat(at.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || !OwnedByUserOrRoot(st)) return false;
    // Above the folder itself, a sticky folder keeps our names ours.
    if (OthersCanWrite(st) && (last || !(st.st_mode & S_ISVTX))) return false;
    if (at == "/") return true;
    const size_t slash = at.rfind('/');
    at = slash == 0 ? "/" : at.substr(0, slash);
    last = false;
  }
}

std::vector<std::string> CodeFolders(TCodeOrigin origin) {
  std::vector<std::string> folders;
  const std::string own = ProgramFolder();
  // Where the launcher puts the player; asked without making the folder, which a converter run must not.
  const bool privateTemporary = IsPrivateTemporaryFolder(own);
  if (!privateTemporary || origin == TCodeOrigin::WrittenByLauncher) folders.push_back(own);
  // A folder computed from the private temporary folder would lie in a folder anyone can write.
  if (!privateTemporary) folders.push_back(own + EK_LIBDIR_FROM_BINDIR "/");
  folders.push_back(EK_INSTALLED_LIBDIR "/");
  return folders;
}

std::optional<std::string> TrustedFile(const std::string& name, const std::vector<std::string>& folders) {
  for (const std::string& folder : folders) {
    // Through any link: what counts is the file that would be loaded and the folder it lies in.
    const std::optional<std::string> real = RealPath(folder + name);
    struct stat st {};
    if (!real || ::stat(real->c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    if (OwnedByUserOrRoot(st) && !OthersCanWrite(st) && OnlyUserAndRootCanWrite(ExtractFilePath(*real)))
      return folder + name;
  }
  return std::nullopt;
}

}  // namespace platform
