#include "MovieKey.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "Exception.h"
#include "SqliteDatabase.h"

namespace {

struct TFileIdentity {
  int64_t device = 0, inode = 0, size = 0, changed = 0;
};

TFileIdentity IdentityOf(const struct stat& st) {
  return {static_cast<int64_t>(st.st_dev), static_cast<int64_t>(st.st_ino), static_cast<int64_t>(st.st_size),
          static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

// A regular file opened for reading, and what it was when opened.
class TOpenedFile {
 public:
  explicit TOpenedFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (fd_ < 0) throw platform::Exception("can't open " + path + ": " + std::strerror(errno));
    if (::fstat(fd_, &stat_) != 0 || !S_ISREG(stat_.st_mode)) {
      ::close(fd_);
      throw platform::Exception(path + " is not a file");
    }
  }
  ~TOpenedFile() { ::close(fd_); }
  TOpenedFile(const TOpenedFile&) = delete;
  TOpenedFile& operator=(const TOpenedFile&) = delete;

  int Fd() const { return fd_; }
  const struct stat& Stat() const { return stat_; }

 private:
  int fd_;
  struct stat stat_ {};
};

std::string HashOpenFile(int fd, const std::string& path) {
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1)
    throw platform::Exception("can't start a SHA-256 hash");
  std::vector<unsigned char> block(1 << 20);
  for (;;) {
    const ssize_t got = ::read(fd, block.data(), block.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw platform::Exception("can't read " + path + ": " + std::strerror(errno));
    if (got == 0) break;
    EVP_DigestUpdate(context.get(), block.data(), static_cast<size_t>(got));
  }
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  EVP_DigestFinal_ex(context.get(), digest.data(), &length);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string key;
  for (unsigned int i = 0; i < length; ++i) {
    key += kHex[digest[i] >> 4];
    key += kHex[digest[i] & 15];
  }
  return key;
}

bool IsKey(const std::string& text) {
  return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

}  // namespace

TMovieKeys::TMovieKeys(const std::string& cacheFolder) : placesPath_(cacheFolder + "/places.sqlite") {
  // The places are a shortcut only: when they can't be read they are made
  // afresh, and when that fails too every file is hashed.
  for (int attempt = 0; attempt < 2 && !places_; ++attempt) {
    try {
      places_ = std::make_unique<TSqliteDatabase>(placesPath_);
      places_->Execute(
          "CREATE TABLE IF NOT EXISTS places(path TEXT PRIMARY KEY, device INTEGER, inode INTEGER, size INTEGER, "
          "changed INTEGER, key TEXT)");
      TSqliteStatement probe(*places_, "SELECT path, device, inode, size, changed, key FROM places LIMIT 1");
      probe.Step();
    } catch (const platform::Exception&) {
      places_.reset();
      std::error_code error;
      std::filesystem::remove(placesPath_, error);
    }
  }
}

TMovieKeys::~TMovieKeys() = default;

std::string TMovieKeys::KeyOf(const std::string& path) {
  const TOpenedFile file(path);
  const TFileIdentity identity = IdentityOf(file.Stat());
  std::error_code error;
  const std::string place = std::filesystem::absolute(path, error).lexically_normal().string();
  if (places_) {
    try {
      TSqliteStatement find(*places_,
                            "SELECT key FROM places WHERE path = ? AND device = ? AND inode = ? AND size = ? AND "
                            "changed = ?");
      find.Bind(1, place).Bind(2, identity.device).Bind(3, identity.inode).Bind(4, identity.size);
      if (find.Bind(5, identity.changed).Step()) {
        const std::string key = find.Text(0);
        if (IsKey(key)) return key;
      }
    } catch (const platform::Exception&) {
      // Not found: hashed below.
    }
  }
  const std::string key = HashOpenFile(file.Fd(), path);
  if (places_) {
    try {
      TSqliteStatement remember(*places_, "INSERT OR REPLACE INTO places VALUES(?, ?, ?, ?, ?, ?)");
      remember.Bind(1, place).Bind(2, identity.device).Bind(3, identity.inode).Bind(4, identity.size);
      remember.Bind(5, identity.changed).Bind(6, key).Step();
    } catch (const platform::Exception&) {
      // Not remembered: the next search hashes the file again.
    }
  }
  return key;
}
