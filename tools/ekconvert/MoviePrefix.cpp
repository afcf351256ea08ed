#include "MoviePrefix.h"

#include <fcntl.h>
#include <mspack.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "Files.h"
#include "LittleEndian.h"

namespace {

constexpr size_t kFirstLook = size_t{64} << 10;

// Hands the bytes on at every doubling of their length; remembers the answer.
class TPrefixSink {
 public:
  explicit TPrefixSink(const std::function<bool(const std::vector<uint8_t>&, bool)>& enough) : enough_(enough) {}
  // The movie file's length, when known: room is made once (untouched memory costs nothing).
  void Expect(int64_t length) { bytes_.reserve(static_cast<size_t>(std::max<int64_t>(length, 0))); }
  // False once the caller has enough.
  bool Add(const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + n);
    if (bytes_.size() < nextLook_) return true;
    nextLook_ = bytes_.size() * 2;
    done_ = enough_(bytes_, false);
    return !done_;
  }
  bool Finish() {
    if (!done_) done_ = enough_(bytes_, true);
    return done_;
  }
  bool Done() const { return done_; }

 private:
  const std::function<bool(const std::vector<uint8_t>&, bool)>& enough_;
  std::vector<uint8_t> bytes_;
  size_t nextLook_ = kFirstLook;
  bool done_ = false;
};

struct TFdCloser {
  int fd;
  ~TFdCloser() {
    if (fd >= 0) ::close(fd);
  }
};

bool ReadBareFile(const std::string& path, TPrefixSink& sink) {
  const TFdCloser file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
  struct stat status {};
  if (file.fd < 0 || ::fstat(file.fd, &status) != 0) return false;
  sink.Expect(status.st_size);
  std::vector<uint8_t> chunk(1 << 20);
  while (true) {
    const ssize_t got = ::read(file.fd, chunk.data(), chunk.size());
    if (got < 0) return false;
    if (got == 0) return sink.Finish();
    if (!sink.Add(chunk.data(), static_cast<size_t>(got))) return true;
  }
}

// libmspack's file layer: the cabinet is a window of the file (a packaged
// movie's cabinet ends before its trailer), and whatever it extracts goes to
// the sink.
struct TWindowSystem {
  mspack_system base;  // first, so that the library's pointer is ours too
  int fd = -1;
  int64_t start = 0, length = 0;
  TPrefixSink* sink = nullptr;
};

struct TWindowFile {
  TWindowSystem* system;
  bool output;
  int64_t position = 0;
};

TWindowSystem& SystemOf(mspack_file* file) { return *reinterpret_cast<TWindowFile*>(file)->system; }

mspack_file* Open(mspack_system* self, const char*, int mode) {
  auto* system = reinterpret_cast<TWindowSystem*>(self);
  if (mode != MSPACK_SYS_OPEN_READ && mode != MSPACK_SYS_OPEN_WRITE) return nullptr;
  return reinterpret_cast<mspack_file*>(new TWindowFile{system, mode == MSPACK_SYS_OPEN_WRITE});
}

void Close(mspack_file* file) { delete reinterpret_cast<TWindowFile*>(file); }

int Read(mspack_file* handle, void* buffer, int bytes) {
  auto& file = *reinterpret_cast<TWindowFile*>(handle);
  const TWindowSystem& system = SystemOf(handle);
  if (file.output || bytes < 0) return -1;
  const int64_t n = std::clamp<int64_t>(system.length - file.position, 0, bytes);
  const ssize_t got = ::pread(system.fd, buffer, static_cast<size_t>(n), system.start + file.position);
  if (got < 0) return -1;
  file.position += got;
  return static_cast<int>(got);
}

int Write(mspack_file* handle, void* buffer, int bytes) {
  auto& file = *reinterpret_cast<TWindowFile*>(handle);
  if (!file.output || bytes < 0) return -1;
  // Enough is an error to the library: it stops decompressing.
  return SystemOf(handle).sink->Add(buffer, static_cast<size_t>(bytes)) ? bytes : -1;
}

int Seek(mspack_file* handle, off_t offset, int mode) {
  auto& file = *reinterpret_cast<TWindowFile*>(handle);
  const int64_t length = SystemOf(handle).length;
  const int64_t base = mode == MSPACK_SYS_SEEK_START ? 0 : mode == MSPACK_SYS_SEEK_CUR ? file.position : length;
  if (file.output || base + offset < 0 || base + offset > length) return -1;
  file.position = base + offset;
  return 0;
}

off_t Tell(mspack_file* handle) { return reinterpret_cast<TWindowFile*>(handle)->position; }
void Message(mspack_file*, const char*, ...) {}
void* Alloc(mspack_system*, size_t bytes) { return std::malloc(bytes); }
void Free(void* memory) { std::free(memory); }
void Copy(void* from, void* to, size_t bytes) { std::memmove(to, from, bytes); }

bool ReadFromCabinet(const std::string& path, TPrefixSink& sink) {
  const TFdCloser file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
  struct stat status {};
  if (file.fd < 0 || ::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode)) return false;
  TWindowSystem system;
  system.base = {Open, Close, Read, Write, Seek, Tell, Message, Alloc, Free, Copy, nullptr};
  system.fd = file.fd;
  system.length = status.st_size;
  system.sink = &sink;
  char signature[4] = {};
  if (::pread(file.fd, signature, 4, 0) != 4) return false;
  if (std::memcmp(signature, "MSCF", 4) != 0) {
    // A packaged movie: the cabinet lies before the 4-byte length at the end.
    uint8_t trailer[4];
    if (status.st_size < 4 || ::pread(file.fd, trailer, 4, status.st_size - 4) != 4) return false;
    const int64_t length = platform::Int32LE(trailer);
    if (length < 0 || length > status.st_size - 4) return false;
    system.start = status.st_size - 4 - length;
    system.length = length;
  }
  std::unique_ptr<mscab_decompressor, decltype(&mspack_destroy_cab_decompressor)> cabd(
      mspack_create_cab_decompressor(&system.base), mspack_destroy_cab_decompressor);
  if (!cabd) return false;
  mscabd_cabinet* cabinet = cabd->open(cabd.get(), path.c_str());
  if (!cabinet) return false;
  const mscabd_file* movie = nullptr;
  for (const mscabd_file* f = cabinet->files; f; f = f->next)
    if (::strcasecmp(f->filename, "MyFilm.~ekflm") == 0) movie = f;
  // A movie that goes on into the next cabinet of a set fails here at the
  // cabinet's end, unless the beginning was enough.
  if (movie) sink.Expect(movie->length);
  const int extracted =
      movie ? cabd->extract(cabd.get(), const_cast<mscabd_file*>(movie), "movie") : MSPACK_ERR_ARGS;
  cabd->close(cabd.get(), cabinet);
  if (sink.Done()) return true;
  return extracted == MSPACK_ERR_OK && sink.Finish();
}

}  // namespace

bool ReadMoviePrefix(const std::string& path,
                     const std::function<bool(const std::vector<uint8_t>& bytes, bool complete)>& enough) {
  TPrefixSink sink(enough);
  if (platform::LowerFileExt(path) == ".~ekflm") return ReadBareFile(path, sink);
  return ReadFromCabinet(path, sink);
}
