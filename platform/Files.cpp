#include "Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "Exception.h"
#include "Win32Error.h"

namespace platform {
namespace {

int OpenFlags(uint32_t access, uint32_t disposition) {
  int flags = O_CLOEXEC;
  const bool read = access & GENERIC_READ;
  const bool write = access & GENERIC_WRITE;
  flags |= read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
  switch (disposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case TRUNCATE_EXISTING: flags |= O_TRUNC; break;
    default: break;
  }
  return flags;
}

}  // namespace

FileHandle CreateFile(const std::string& path, uint32_t access, uint32_t shareMode, uint32_t disposition,
                      uint32_t flagsAndAttributes) {
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  int flags = OpenFlags(access, disposition);
  if (flagsAndAttributes & FILE_FLAG_NO_FOLLOW) flags |= O_NOFOLLOW;
  if ((flags & O_TRUNC) && (flags & O_ACCMODE) == O_RDONLY) flags = (flags & ~O_ACCMODE) | O_RDWR;
  const mode_t mode = (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  // Truncation waits until the lock is held, so a file in use is not cut.
  const bool truncate = flags & O_TRUNC;
  // Opening a named pipe or a device can wait for ever: the open never blocks,
  // and only regular files are taken.
  int fd = ::open(path.c_str(), (flags & ~O_TRUNC) | O_NONBLOCK, mode);
  if (fd < 0) {
    SetLastErrorFromErrno();
    return INVALID_HANDLE_VALUE;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  const int lock = (shareMode == 0 ? LOCK_EX : LOCK_SH) | LOCK_NB;
  if (::flock(fd, lock) != 0) {
    ::close(fd);
    SetLastError(ERROR_SHARING_VIOLATION);
    return INVALID_HANDLE_VALUE;
  }
  if (truncate && ::ftruncate(fd, 0) != 0) {
    SetLastErrorFromErrno();
    ::close(fd);
    return INVALID_HANDLE_VALUE;
  }
  if (flagsAndAttributes & FILE_FLAG_SEQUENTIAL_SCAN) ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  if (flagsAndAttributes & FILE_FLAG_RANDOM_ACCESS) ::posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
  // The name goes at once; the open handle keeps the data until it is closed.
  if (flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) ::unlink(path.c_str());
  return fd;
}

bool CloseHandle(FileHandle handle) {
  if (::close(static_cast<int>(handle)) != 0) {
    SetLastErrorFromErrno();
    return false;
  }
  return true;
}

int64_t ReadFile(FileHandle handle, void* buffer, int64_t count) {
  int64_t done = 0;
  auto* out = static_cast<char*>(buffer);
  while (done < count) {
    const ssize_t n = ::read(static_cast<int>(handle), out + done, static_cast<size_t>(count - done));
    if (n < 0) {
      if (errno == EINTR) continue;
      SetLastErrorFromErrno();
      return -1;
    }
    if (n == 0) break;
    done += n;
  }
  return done;
}

int64_t WriteFile(FileHandle handle, const void* buffer, int64_t count) {
  int64_t done = 0;
  const auto* in = static_cast<const char*>(buffer);
  while (done < count) {
    const ssize_t n = ::write(static_cast<int>(handle), in + done, static_cast<size_t>(count - done));
    if (n < 0) {
      if (errno == EINTR) continue;
      SetLastErrorFromErrno();
      return -1;
    }
    done += n;
  }
  return done;
}

int64_t SetFilePointer(FileHandle handle, int64_t distance, int origin) {
  static constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (origin < 0 || origin > 2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  const off_t pos = ::lseek(static_cast<int>(handle), distance, kWhence[origin]);
  if (pos < 0) {
    SetLastErrorFromErrno();
    return -1;
  }
  return pos;
}

int64_t GetFileSize(FileHandle handle) {
  struct stat st {};
  if (::fstat(static_cast<int>(handle), &st) != 0) {
    SetLastErrorFromErrno();
    return -1;
  }
  return st.st_size;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FindFileIgnoringCase(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) return path;
  const std::string folder = ExtractFilePath(path);
  const std::string name = ExtractFileName(path);
  if (name.empty()) return path;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return path;
  std::optional<std::string> found;
  bool ambiguous = false;
  while (const dirent* entry = ::readdir(dir)) {
    if (::strcasecmp(entry->d_name, name.c_str()) != 0) continue;
    ambiguous = found.has_value();
    found = entry->d_name;
    if (ambiguous) break;
  }
  ::closedir(dir);
  return found && !ambiguous ? folder + *found : path;
}

bool PathExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFile(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  if (::unlink(path.c_str()) != 0) {
    SetLastErrorFromErrno();
    return false;
  }
  return true;
}

uint32_t GetFileAttributes(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    SetLastErrorFromErrno();
    return INVALID_FILE_ATTRIBUTES;
  }
  uint32_t attributes = S_ISDIR(st.st_mode) ? 0x10 : 0;
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

bool SetFileAttributes(const std::string& path, uint32_t attributes) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    SetLastErrorFromErrno();
    return false;
  }
  mode_t mode = st.st_mode & 07777;
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    mode &= ~(S_IWUSR | S_IWGRP | S_IWOTH);
  } else if ((mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    mode |= S_IWUSR;
  }
  if (::chmod(path.c_str(), mode) != 0) {
    SetLastErrorFromErrno();
    return false;
  }
  return true;
}

void RemoveFolderAt(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

bool ForceDirectories(const std::string& path) {
  if (path.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  std::string partial;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t slash = path.find('/', start);
    const size_t end = slash == std::string::npos ? path.size() : slash;
    partial = path.substr(0, end);
    if (!partial.empty() && !DirectoryExists(partial)) {
      // Every folder the player makes is its own alone.
      if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
        SetLastErrorFromErrno();
        return false;
      }
    }
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  if (!DirectoryExists(path)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  return true;
}

namespace {

std::string WithoutTrailingSlashes(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

// Made with mode 0700 when missing; then it must be a folder of our own that
// nobody else can write to. The reason when it can't be used.
std::optional<std::string> PrivateFolderProblem(const std::string& folder) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
    return "cannot be created: " + SysErrorMessage(ErrorFromErrno(errno));
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0) return "cannot be used: " + SysErrorMessage(ErrorFromErrno(errno));
  if (S_ISLNK(st.st_mode) || !S_ISDIR(st.st_mode)) return "is not a folder of its own (a link or a file)";
  if (st.st_uid != ::getuid()) return "belongs to another user";
  if (st.st_mode & (S_IWGRP | S_IWOTH)) return "can be written by other users";
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return "cannot be written";
  return std::nullopt;
}

// Where the private folder may be: the fixed names first, then the parents
// of a fresh folder "ekPlayer-UID-XXXXXX".
struct TPrivatePlaces {
  std::vector<std::string> fixed;
  std::vector<std::string> freshParents;
  std::string freshPrefix;
};

TPrivatePlaces PrivatePlaces() {
  const char* base = std::getenv("TMPDIR");
  const std::string tmp = WithoutTrailingSlashes((base && *base) ? base : "/tmp");
  const std::string own = "ekPlayer-" + std::to_string(::getuid());
  TPrivatePlaces places{{tmp + "/" + own}, {tmp, "/tmp"}, own + "-"};
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
    places.fixed.push_back(WithoutTrailingSlashes(runtime) + "/ekPlayer");
  return places;
}

}  // namespace

std::optional<std::string> RealPath(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), std::free);
  if (!real) return std::nullopt;
  return std::string(real.get());
}

bool IsPrivateTemporaryFolder(const std::string& folder) {
  const std::optional<std::string> real = RealPath(folder);
  if (!real) return false;
  const TPrivatePlaces places = PrivatePlaces();
  for (const std::string& fixed : places.fixed)
    if (RealPath(fixed) == real) return true;
  if (ExtractFileName(*real).rfind(places.freshPrefix, 0) != 0) return false;
  const std::optional<std::string> parent = RealPath(ExtractFilePath(*real));
  for (const std::string& freshParent : places.freshParents)
    if (parent && RealPath(freshParent) == parent) return true;
  return false;
}

std::string GetTempPath() {
  const TPrivatePlaces places = PrivatePlaces();
  std::vector<std::string> candidates = places.fixed;
  // The fixed names can be taken by anyone beforehand: a fresh folder of a
  // random name, kept for the rest of the run, is the last resort.
  static std::string fresh;
  if (!fresh.empty()) candidates.push_back(fresh);
  std::string problems;
  for (const std::string& folder : candidates) {
    const std::optional<std::string> problem = PrivateFolderProblem(folder);
    if (!problem) return folder + "/";
    problems += "\n" + folder + " " + *problem;
  }
  for (const std::string& parent : places.freshParents) {
    std::string folder = parent + "/" + places.freshPrefix + "XXXXXX";
    if (::mkdtemp(folder.data()) && !PrivateFolderProblem(folder)) {
      fresh = folder;
      return folder + "/";
    }
  }
  throw Exception("No private temporary folder can be used:" + problems);
}

std::string ProgramFolder() {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "./";
  return ExtractFilePath(std::string(buffer, static_cast<size_t>(n)));
}

std::string ExtractFileName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtractFilePath(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ExtractFileExt(const std::string& path) {
  const std::string name = ExtractFileName(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string LowerFileExt(const std::string& path) {
  std::string ext = ExtractFileExt(path);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

}  // namespace platform
