#include "MovieBytes.h"

#include <fcntl.h>
#include <mspack.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <memory>
#include <optional>
#include <set>
#include <utility>

#include "Exception.h"
#include "Files.h"
#include "MovieFiles.h"
#include "MszipFolders.h"
#include "PackagedMovie.h"

namespace {

constexpr size_t kFirstLook = size_t{64} << 10;
// The most a cabinet's data block decompresses to.
constexpr int64_t kDataBlockBytes = 32768;

// Where the bytes of the movie file go as they come.
class TMovieSink {
 public:
  virtual ~TMovieSink() = default;
  // The movie file's length as its cabinet gives it, before any byte comes.
  virtual void Expect(int64_t) {}
  // False ends the reading.
  virtual bool Add(const void* data, size_t n) = 0;
  // Salvaging, libmspack read a data block that fails its checksum: it
  // decompresses to the next block of bytes to come or, as the decompressor
  // reads ahead, to the one after.
  virtual void BadChecksum() {}
  // Salvaging, the block of bytes being decompressed next lost its last
  // `bytes` (a whole block when it is not known how many).
  virtual void BlockLost(int64_t) {}
};

// How feeding a sink ended: every byte of the movie file given, or not, and
// then why, unless the sink ended it.
struct TFed {
  bool complete = false;
  std::string failure;
  // A cabinet's data ended before the movie file did.
  bool cut = false;
};

// How a cabinet is read: as it is, or salvaging what a damaged one holds,
// and a cut one again, closely (see where they are set).
enum class TReading { Sound, Salvage, SalvageClosely };

// Hands the bytes on at every doubling of their length; remembers the answer.
class TPrefixSink : public TMovieSink {
 public:
  TPrefixSink(const std::function<bool(const std::vector<uint8_t>&, bool)>& enough, int64_t cap)
      : enough_(enough), cap_(static_cast<size_t>(cap)) {}
  // Room is made once, within the cap.
  void Expect(int64_t length) override {
    bytes_.reserve(std::min(static_cast<size_t>(std::max<int64_t>(length, 0)), cap_));
  }
  // False once the caller has enough, or the cap is reached.
  bool Add(const void* data, size_t n) override {
    if (done_ || capped_) return false;
    const auto* p = static_cast<const uint8_t*>(data);
    const size_t taken = std::min(n, cap_ - bytes_.size());
    bytes_.insert(bytes_.end(), p, p + taken);
    if (taken == n && bytes_.size() < nextLook_) return true;
    nextLook_ = bytes_.size() * 2;
    done_ = enough_(bytes_, false);
    capped_ = !done_ && taken < n;
    return !done_ && !capped_;
  }
  TPrefixReading Outcome(const TFed& fed) {
    if (fed.complete && !done_ && !capped_) done_ = enough_(bytes_, true);
    if (done_) return {true, false, {}};
    return {false, capped_, capped_ ? std::string() : fed.failure};
  }

 private:
  const std::function<bool(const std::vector<uint8_t>&, bool)>& enough_;
  size_t cap_;
  std::vector<uint8_t> bytes_;
  size_t nextLook_ = kFirstLook;
  bool done_ = false;
  bool capped_ = false;
};

// Writes the bytes to a file, remembering the first failure.
class TFileSink : public TMovieSink {
 public:
  explicit TFileSink(int fd) : fd_(fd) {}
  bool Add(const void* data, size_t n) override {
    const auto* p = static_cast<const uint8_t*>(data);
    while (n > 0) {
      const ssize_t put = ::write(fd_, p, n);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) {
        failure_ = std::string("the movie can't be written to a temporary file: ") + std::strerror(errno);
        return false;
      }
      p += put;
      n -= static_cast<size_t>(put);
    }
    return true;
  }
  const std::string& Failure() const { return failure_; }

 private:
  int fd_;
  std::string failure_;
};

// A regular file opened for reading without waiting: a named pipe or a device
// with a movie's name is refused at once, the reason in `failure`. Closed
// when it goes, unless its descriptor was handed on.
struct TRegularFile {
  int fd = -1;
  int64_t size = 0;
  std::string failure;

  explicit TRegularFile(const std::string& path)
      : fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)) {
    struct stat status {};
    if (fd < 0 || ::fstat(fd, &status) != 0) {
      failure = path + " can't be opened: " + std::strerror(errno);
      Close();
    } else if (!S_ISREG(status.st_mode)) {
      failure = path + " is not a regular file";
      Close();
    } else {
      size = status.st_size;
    }
  }
  TRegularFile(const TRegularFile&) = delete;
  TRegularFile& operator=(const TRegularFile&) = delete;
  ~TRegularFile() { Close(); }

  bool IsOpen() const { return fd >= 0; }
  int Release() { return std::exchange(fd, -1); }

 private:
  void Close() {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
};

TFed FeedBareFile(const std::string& path, TMovieSink& sink) {
  const TRegularFile file(path);
  if (!file.IsOpen()) return {false, file.failure};
  sink.Expect(file.size);
  std::vector<uint8_t> chunk(1 << 20);
  while (true) {
    const ssize_t got = ::read(file.fd, chunk.data(), chunk.size());
    if (got < 0) return {false, path + " can't be read: " + std::strerror(errno)};
    if (got == 0) return {true, {}};
    if (!sink.Add(chunk.data(), static_cast<size_t>(got))) return {false, {}};
  }
}

// libmspack's file layer. The cabinet given is a window of its file (a
// packaged movie's cabinet ends before its trailer); the next cabinets of a
// set are whole files, found beside it in any letter case. What is extracted
// goes to the sink.
struct TCabinetSystem {
  mspack_system base;  // first, so that the library's pointer is ours too
  std::string firstName;
  int firstFd = -1;
  int64_t firstStart = 0, firstLength = 0;
  TMovieSink* sink = nullptr;
  // The movie's first bytes, already given to the sink by the fast decoder:
  // libmspack, picking up after it, starts from the file's first byte.
  int64_t givenAhead = 0;
  // The library keeps the names of the cabinets it opened, and opens them again by name.
  std::list<std::string> setNames;
};

struct TCabinetFile {
  TCabinetSystem* system;
  bool output;
  int fd = -1;
  bool ownsFd = false;
  int64_t start = 0, length = 0, position = 0;
};

TCabinetSystem& SystemOf(mspack_file* file) { return *reinterpret_cast<TCabinetFile*>(file)->system; }

mspack_file* Open(mspack_system* self, const char* name, int mode) {
  auto* system = reinterpret_cast<TCabinetSystem*>(self);
  if (mode == MSPACK_SYS_OPEN_WRITE) return reinterpret_cast<mspack_file*>(new TCabinetFile{system, true});
  if (mode != MSPACK_SYS_OPEN_READ) return nullptr;
  if (system->firstName == name)
    return reinterpret_cast<mspack_file*>(
        new TCabinetFile{system, false, system->firstFd, false, system->firstStart, system->firstLength});
  TRegularFile file(name);
  if (!file.IsOpen()) return nullptr;
  const int64_t size = file.size;
  return reinterpret_cast<mspack_file*>(new TCabinetFile{system, false, file.Release(), true, 0, size});
}

void Close(mspack_file* handle) {
  auto* file = reinterpret_cast<TCabinetFile*>(handle);
  if (file->ownsFd) ::close(file->fd);
  delete file;
}

int Read(mspack_file* handle, void* buffer, int bytes) {
  auto& file = *reinterpret_cast<TCabinetFile*>(handle);
  if (file.output || bytes < 0) return -1;
  const int64_t n = std::clamp<int64_t>(file.length - file.position, 0, bytes);
  const ssize_t got = ::pread(file.fd, buffer, static_cast<size_t>(n), file.start + file.position);
  if (got < 0) return -1;
  file.position += got;
  return static_cast<int>(got);
}

int Write(mspack_file* handle, void* buffer, int bytes) {
  auto& file = *reinterpret_cast<TCabinetFile*>(handle);
  if (!file.output || bytes < 0) return -1;
  TCabinetSystem& system = SystemOf(handle);
  const int64_t skipped = std::min<int64_t>(system.givenAhead, bytes);
  system.givenAhead -= skipped;
  if (skipped == bytes) return bytes;
  // Enough is an error to the library: it stops decompressing.
  return system.sink->Add(static_cast<uint8_t*>(buffer) + skipped, static_cast<size_t>(bytes - skipped)) ? bytes : -1;
}

int Seek(mspack_file* handle, off_t offset, int mode) {
  auto& file = *reinterpret_cast<TCabinetFile*>(handle);
  const int64_t base = mode == MSPACK_SYS_SEEK_START ? 0 : mode == MSPACK_SYS_SEEK_CUR ? file.position : file.length;
  if (file.output || base + offset < 0 || base + offset > file.length) return -1;
  file.position = base + offset;
  return 0;
}

off_t Tell(mspack_file* handle) { return reinterpret_cast<TCabinetFile*>(handle)->position; }
// The sink of the cabinet being read on this thread, told of damaged blocks:
// libmspack says so only in messages that name no file.
thread_local TMovieSink* tSalvagingSink = nullptr;

// Damage is told only in messages: an MSZIP block that fails to decompress
// before its 32 KiB are written, with how many of its last bytes are lost;
// a bad checksum when its data are read.
void Message(mspack_file*, const char* format, ...) {
  if (!tSalvagingSink) return;
  char text[256];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  unsigned lost = 0;
  if (std::sscanf(text, "MSZIP error, %u bytes", &lost) == 1)
    tSalvagingSink->BlockLost(lost <= kDataBlockBytes ? lost : kDataBlockBytes);
  else if (std::strstr(text, "bad block checksum"))
    tSalvagingSink->BadChecksum();
}
void* Alloc(mspack_system*, size_t bytes) { return std::malloc(bytes); }
void Free(void* memory) { std::free(memory); }
void Copy(void* from, void* to, size_t bytes) { std::memmove(to, from, bytes); }

using TDecompressor = std::unique_ptr<mscab_decompressor, decltype(&mspack_destroy_cab_decompressor)>;

// Opens the cabinets after the first as far as the set goes, each appended to
// the one before; a set ends at a missing cabinet or one met again.
void AppendSet(mscab_decompressor& cabd, mscabd_cabinet* first, TCabinetSystem& system, const std::string& folder) {
  std::set<std::pair<dev_t, ino_t>> visited;
  struct stat status {};
  if (::fstat(system.firstFd, &status) == 0) visited.insert({status.st_dev, status.st_ino});
  for (mscabd_cabinet* last = first; (last->flags & MSCAB_HDR_NEXTCAB) && last->nextname;) {
    const std::string& next = system.setNames.emplace_back(platform::FindFileIgnoringCase(folder + last->nextname));
    if (::stat(next.c_str(), &status) != 0 || !visited.insert({status.st_dev, status.st_ino}).second) return;
    mscabd_cabinet* cabinet = cabd.open(&cabd, next.c_str());
    if (!cabinet) return;
    if (cabd.append(&cabd, last, cabinet) != MSPACK_ERR_OK) {
      cabd.close(&cabd, cabinet);
      return;
    }
    last = cabinet;
  }
}

std::string CabinetError(int code) {
  switch (code) {
    case MSPACK_ERR_READ: return "the cabinet ends early or can't be read";
    case MSPACK_ERR_SIGNATURE: return "not a cabinet or packaged movie";
    case MSPACK_ERR_DATAFORMAT: return "the cabinet's header is damaged";
    case MSPACK_ERR_CHECKSUM: return "a data block of the cabinet fails its checksum";
    case MSPACK_ERR_DECRUNCH: return "the cabinet's compressed data is damaged";
    case MSPACK_ERR_NOMEMORY: return "no memory to decompress the cabinet";
    default: return "the cabinet can't be read (libmspack error " + std::to_string(code) + ")";
  }
}

// The movie file of a cabinet that is not part of a set, decoded by ISA-L as
// far as its MSZIP blocks are sound: the bytes given, and whether they are all
// (or the sink said enough). libmspack reads whatever is left.
struct TFastFed {
  int64_t given = 0;
  bool whole = false, ended = false;
};

TFastFed FeedFast(const TCabinetSystem& system, const mscabd_cabinet& cabinet, const mscabd_file& movie,
                  TMovieSink& sink) {
  const mszip::TReadAt read = [&system](int64_t offset, void* into, size_t n) -> int64_t {
    const int64_t wanted = std::clamp<int64_t>(system.firstLength - offset, 0, static_cast<int64_t>(n));
    return offset < 0 ? -1 : ::pread(system.firstFd, into, static_cast<size_t>(wanted), system.firstStart + offset);
  };
  const std::optional<mszip::TLoneCabinet> lone = mszip::ReadLoneCabinet(read);
  int folder = 0;
  for (const mscabd_folder* f = cabinet.folders; f && f != movie.folder; f = f->next) ++folder;
  TFastFed fed;
  if (!lone) return fed;
  mszip::TFolderReader reader;
  const auto result = reader.Read(read, *lone, folder, movie.offset, movie.length, [&](const uint8_t* data, size_t n) {
    if (!sink.Add(data, n)) return false;
    fed.given += static_cast<int64_t>(n);
    return true;
  });
  fed.whole = result == mszip::TFolderReader::TResult::Whole;
  fed.ended = result == mszip::TFolderReader::TResult::Ended;
  return fed;
}

TFed FeedFromCabinet(const std::string& path, TMovieSink& sink, TReading reading) {
  const TRegularFile file(path);
  if (!file.IsOpen()) return {false, file.failure};
  const int64_t size = file.size;
  TCabinetSystem system;
  system.base = {Open, Close, Read, Write, Seek, Tell, Message, Alloc, Free, Copy, nullptr};
  system.firstName = path;
  system.firstFd = file.fd;
  system.firstLength = size;
  system.sink = &sink;
  // Told apart as the player tells them, so that a thumbnail stands only for
  // a movie the player plays.
  if (IsPackagedMovie(path)) {
    uint8_t trailer[kPackagedTrailerBytes] = {};
    if (size >= kPackagedTrailerBytes &&
        ::pread(file.fd, trailer, sizeof trailer, size - kPackagedTrailerBytes) != sizeof trailer)
      return {false, "the file can't be read"};
    std::string failure;
    const std::optional<TAppendedCabinet> appended = AppendedCabinet(trailer, size, failure);
    if (!appended) return {false, "not a packaged movie: " + failure};
    system.firstStart = appended->start;
    system.firstLength = appended->length;
  }
  TDecompressor cabd(mspack_create_cab_decompressor(&system.base), mspack_destroy_cab_decompressor);
  if (!cabd) return {false, "no memory to decompress the cabinet"};
  struct TSalvaging {
    explicit TSalvaging(TMovieSink* sink) { tSalvagingSink = sink; }
    ~TSalvaging() { tSalvagingSink = nullptr; }
  } salvaging(reading != TReading::Sound ? &sink : nullptr);
  if (reading != TReading::Sound) {
    cabd->set_param(cabd.get(), MSCABD_PARAM_SALVAGE, 1);
    cabd->set_param(cabd.get(), MSCABD_PARAM_FIXMSZIP, 1);
  }
  // The decompressor fills its input buffer across data blocks. A bad
  // checksum is told when a block is read, which with the default buffer of
  // 4096 bytes may be blocks ahead of the bytes being written, so the damage
  // could not be placed: 64 bytes keep it within the next block. A fill that
  // meets a cut fails whole, and any buffer but the smallest loses a block
  // before the cut now and then; the smallest costs about a fifth more time
  // on movies that don't compress, so a cut cabinet is read again with it.
  if (reading == TReading::Salvage) cabd->set_param(cabd.get(), MSCABD_PARAM_DECOMPBUF, 64);
  if (reading == TReading::SalvageClosely) cabd->set_param(cabd.get(), MSCABD_PARAM_DECOMPBUF, 4);
  mscabd_cabinet* cabinet = cabd->open(cabd.get(), path.c_str());
  if (!cabinet) return {false, CabinetError(cabd->last_error(cabd.get()))};
  AppendSet(*cabd, cabinet, system, platform::ExtractFilePath(path));
  const mscabd_file* movie = nullptr;
  for (const mscabd_file* f = cabinet->files; f; f = f->next)
    if (::strcasecmp(f->filename, kMovieFileName) == 0) movie = f;
  if (movie) sink.Expect(movie->length);
  // Salvage is libmspack's alone: it decodes damaged blocks as far as they go.
  const TFastFed fast = movie && reading == TReading::Sound ? FeedFast(system, *cabinet, *movie, sink) : TFastFed{};
  system.givenAhead = fast.given;
  const int extracted = !movie       ? MSPACK_ERR_ARGS
                        : fast.whole ? MSPACK_ERR_OK
                        : fast.ended ? MSPACK_ERR_WRITE
                                     : cabd->extract(cabd.get(), const_cast<mscabd_file*>(movie), "movie");
  // Closing the first cabinet closes those appended to it.
  cabd->close(cabd.get(), cabinet);
  if (!movie) return {false, std::string("the cabinet holds no ") + kMovieFileName};
  if (extracted == MSPACK_ERR_OK) return {true, {}};
  return {false, CabinetError(extracted), extracted == MSPACK_ERR_READ};
}

TFed FeedMovieFile(const std::string& path, TMovieSink& sink, TReading reading = TReading::Sound) {
  return IsBareMovie(path) ? FeedBareFile(path, sink) : FeedFromCabinet(path, sink, reading);
}

// Keeps what comes, up to a cap, and where it may be wrong.
class TSalvageSink : public TMovieSink {
 public:
  explicit TSalvageSink(int64_t cap) : cap_(static_cast<size_t>(cap)) {}
  // Room is made once, within the cap, so that the bytes are never moved.
  void Expect(int64_t length) override {
    expected_ = length;
    movie_.bytes.reserve(std::min(static_cast<size_t>(std::max<int64_t>(length, 0)), cap_));
  }
  bool Add(const void* data, size_t n) override {
    const auto* p = static_cast<const uint8_t*>(data);
    const size_t taken = std::min(n, cap_ - movie_.bytes.size());
    movie_.bytes.insert(movie_.bytes.end(), p, p + taken);
    capped_ = taken < n;
    return !capped_;
  }
  // Which of the two blocks it was can't be told apart: a decompression
  // error in one does not clear the other, which may have decompressed to
  // wrong bytes without one.
  void BadChecksum() override { Lose(Received(), Received() + 2 * kDataBlockBytes); }
  void BlockLost(int64_t bytes) override { Lose(Received() + kDataBlockBytes - bytes, Received() + kDataBlockBytes); }

  TSalvagedMovie Finish(const TFed& fed) {
    if (capped_)
      movie_.failure = "the movie file is longer than the " + std::to_string(cap_) + " bytes rescue holds";
    else if (!fed.complete)
      movie_.failure = fed.failure;
    if (!fed.complete) Lose(Received(), std::max(expected_, Received()));
    // Nothing is lost beyond the file's end.
    const int64_t end = fed.complete ? Received() : std::max(expected_, Received());
    for (auto& range : movie_.lost) range.second = std::min(range.second, end);
    movie_.lost = MergedRanges(std::move(movie_.lost));
    return std::move(movie_);
  }

 private:
  int64_t Received() const { return static_cast<int64_t>(movie_.bytes.size()); }
  void Lose(int64_t begin, int64_t end) { movie_.lost.emplace_back(begin, end); }

  size_t cap_;
  int64_t expected_ = 0;
  bool capped_ = false;
  TSalvagedMovie movie_;
};

// A file in the temporary folder that has no name from the start where the
// file system allows it, else from right after it was made.
int NamelessFile() {
  const char* base = std::getenv("TMPDIR");
  const std::string folder = base && *base ? base : "/tmp";
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return fd;
  std::string name = folder + "/ekconvert-XXXXXX";
  const int named = ::mkostemp(name.data(), O_CLOEXEC);
  if (named >= 0) ::unlink(name.c_str());
  return named;
}

// A file read through its descriptor, which it closes.
class TDescriptorStream : public platform::TStream {
 public:
  explicit TDescriptorStream(int fd) : fd_(fd) {}
  ~TDescriptorStream() override { ::close(fd_); }
  TDescriptorStream(const TDescriptorStream&) = delete;
  TDescriptorStream& operator=(const TDescriptorStream&) = delete;

  int64_t Read(void* buffer, int64_t count) override {
    int64_t total = 0;
    while (total < count) {
      const ssize_t got = ::read(fd_, static_cast<uint8_t*>(buffer) + total, static_cast<size_t>(count - total));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      total += got;
    }
    return total;
  }
  int64_t Write(const void*, int64_t) override { return 0; }
  int64_t Seek(int64_t offset, platform::SeekOrigin origin) override {
    const int whence = origin == platform::SeekOrigin::Begin     ? SEEK_SET
                       : origin == platform::SeekOrigin::Current ? SEEK_CUR
                                                                 : SEEK_END;
    return ::lseek(fd_, offset, whence);
  }

 private:
  int fd_;
};

}  // namespace

TPrefixReading ReadMoviePrefix(const std::string& path, int64_t cap,
                               const std::function<bool(const std::vector<uint8_t>& bytes, bool complete)>& enough) {
  TPrefixSink sink(enough, cap);
  return sink.Outcome(FeedMovieFile(path, sink));
}

std::unique_ptr<platform::TStream> OpenWholeMovie(const std::string& path) {
  if (IsBareMovie(path)) {
    TRegularFile file(path);
    if (!file.IsOpen()) throw platform::Exception(file.failure);
    return std::make_unique<TDescriptorStream>(file.Release());
  }
  const int fd = NamelessFile();
  if (fd < 0) throw platform::Exception(std::string("can't make a temporary file: ") + std::strerror(errno));
  auto stream = std::make_unique<TDescriptorStream>(fd);
  TFileSink sink(fd);
  const TFed fed = FeedMovieFile(path, sink);
  if (!fed.complete) throw platform::Exception(sink.Failure().empty() ? fed.failure : sink.Failure());
  stream->SetPosition(0);
  return stream;
}

TByteRanges MergedRanges(TByteRanges ranges) {
  std::sort(ranges.begin(), ranges.end());
  TByteRanges merged;
  for (const auto& [begin, end] : ranges) {
    if (begin >= end) continue;
    if (!merged.empty() && begin <= merged.back().second)
      merged.back().second = std::max(merged.back().second, end);
    else
      merged.emplace_back(begin, end);
  }
  return merged;
}

TSalvagedMovie SalvageMovieFile(const std::string& path, int64_t cap) {
  {
    TSalvageSink sink(cap);
    const TFed fed = FeedMovieFile(path, sink, TReading::Salvage);
    if (!fed.cut) return sink.Finish(fed);
  }
  TSalvageSink sink(cap);
  return sink.Finish(FeedMovieFile(path, sink, TReading::SalvageClosely));
}
