#include "Streams.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "Exception.h"
#include "Win32Error.h"

namespace platform {

namespace {

// Reading and seeking in a block of memory, for the streams that own one and
// those that borrow one.
int64_t ReadMemory(const uint8_t* memory, int64_t size, int64_t& position, void* buffer, int64_t count) {
  const int64_t n = std::clamp<int64_t>(size - position, 0, std::max<int64_t>(count, 0));
  if (n > 0) std::memcpy(buffer, memory + position, static_cast<size_t>(n));
  position += n;
  return n;
}

// Fresh bytes of a block about to be filled from a source: their pages are
// made in one go, on huge pages where the system gives them when asked,
// instead of one fault for every 4 KiB as the bytes arrive; those faults were
// most of the time a movie took to load. Only the pages wholly inside are
// touched; a system that can't do either simply faults as before.
void PreparePages(uint8_t* begin, uint8_t* end) {
  constexpr uintptr_t kPage = 4096;
  constexpr int64_t kWorthIt = int64_t{2} << 20;
  if (end - begin < kWorthIt) return;
  const uintptr_t first = (reinterpret_cast<uintptr_t>(begin) + kPage - 1) & ~(kPage - 1);
  const uintptr_t last = reinterpret_cast<uintptr_t>(end) & ~(kPage - 1);
  ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
  ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
}

int64_t SeekMemory(int64_t size, int64_t& position, int64_t offset, SeekOrigin origin) {
  const int64_t base = origin == SeekOrigin::Begin ? 0 : origin == SeekOrigin::Current ? position : size;
  position = std::max<int64_t>(0, base + offset);
  return position;
}

}  // namespace

int64_t TStream::Size() {
  const int64_t position = Position();
  const int64_t size = Seek(0, SeekOrigin::End);
  Seek(position, SeekOrigin::Begin);
  return size;
}

int64_t TStream::Remaining() { return std::max<int64_t>(0, Size() - Position()); }

void TStream::ReadBuffer(void* buffer, int64_t count) {
  if (count > 0 && Read(buffer, count) != count) throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  if (count > 0 && Write(buffer, count) != count) throw EWriteError();
}

void TStream::CopyFrom(TStream& source, int64_t count) {
  constexpr int64_t kChunk = 1 << 20;
  std::vector<uint8_t> buffer(static_cast<size_t>(std::min(count, kChunk)));
  while (count > 0) {
    const int64_t n = std::min(count, kChunk);
    source.ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    count -= n;
  }
}

namespace {

FileHandle OpenFileStream(const std::string& path, TFileStream::Mode mode, uint32_t shareMode, bool followLinks) {
  const uint32_t noFollow = followLinks ? 0 : FILE_FLAG_NO_FOLLOW;
  switch (mode) {
    case TFileStream::Mode::OpenRead:
      return CreateFile(path, GENERIC_READ, shareMode, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | noFollow);
    case TFileStream::Mode::OpenReadWrite:
      return CreateFile(path, GENERIC_READ | GENERIC_WRITE, shareMode, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | noFollow);
    case TFileStream::Mode::Create:
      return CreateFile(path, GENERIC_READ | GENERIC_WRITE, shareMode, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_NO_FOLLOW);
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

TFileStream::TFileStream(const std::string& path, Mode mode, uint32_t shareMode, bool followLinks)
    : handle_(OpenFileStream(path, mode, shareMode, followLinks)) {
  if (handle_ == INVALID_HANDLE_VALUE) {
    const char* verb = mode == Mode::Create ? "Cannot create file \"" : "Cannot open file \"";
    throw EFOpenError(verb + path + "\". " + SysErrorMessage(GetLastError()));
  }
}

TFileStream::~TFileStream() { CloseHandle(handle_); }

int64_t TFileStream::Read(void* buffer, int64_t count) {
  return count <= 0 ? 0 : std::max<int64_t>(0, ReadFile(handle_, buffer, count));
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
  return count <= 0 ? 0 : std::max<int64_t>(0, WriteFile(handle_, buffer, count));
}

int64_t TFileStream::Seek(int64_t offset, SeekOrigin origin) {
  return SetFilePointer(handle_, offset, static_cast<int>(origin));
}

int64_t TFileStream::Size() { return GetFileSize(handle_); }

TMemoryStream::~TMemoryStream() { std::free(memory_); }

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  return ReadMemory(memory_, size_, position_, buffer, count);
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  if (position_ + count > size_) SetSize(position_ + count);
  std::memcpy(memory_ + position_, buffer, static_cast<size_t>(count));
  position_ += count;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, SeekOrigin origin) { return SeekMemory(size_, position_, offset, origin); }

void TMemoryStream::CopyFrom(TStream& source, int64_t count) {
  if (count <= 0) return;
  const int64_t start = position_;
  const int64_t oldSize = size_;
  // The bytes are read straight into the block. A source that holds them all
  // (a file, a block of memory) has it made once at its full size; otherwise
  // it grows as they arrive (each step as long as all before it), for a
  // declared length is no promise that the source holds that much.
  constexpr int64_t kFirstStep = int64_t{16} << 20;
  try {
    if (start + count > size_ && source.Remaining() >= count) {
      Resize(start + count, false);
      PreparePages(memory_ + std::max(start, oldSize), memory_ + size_);
    }
    for (int64_t done = 0; done < count;) {
      const int64_t n = std::min(count - done, std::max(kFirstStep, done));
      if (start + done + n > size_) Resize(start + done + n, false);
      source.ReadBuffer(memory_ + start + done, n);
      done += n;
    }
  } catch (...) {
    Resize(oldSize, true);
    position_ = start;
    throw;
  }
  position_ = start + count;
}

void TMemoryStream::SetSize(int64_t size) { Resize(size, true); }

void TMemoryStream::Resize(int64_t size, bool zeroNewBytes) {
  size = std::max<int64_t>(size, 0);
  if (size == 0) {
    Clear();
    return;
  }
  void* grown = std::realloc(memory_, static_cast<size_t>(size));
  if (!grown) throw std::bad_alloc();
  memory_ = static_cast<uint8_t*>(grown);
  if (zeroNewBytes && size > size_) std::memset(memory_ + size_, 0, static_cast<size_t>(size - size_));
  size_ = size;
  position_ = std::min(position_, size_);
}

void TMemoryStream::Clear() {
  std::free(memory_);
  memory_ = nullptr;
  size_ = 0;
  position_ = 0;
}

int64_t TBorrowedMemoryStream::Read(void* buffer, int64_t count) {
  return ReadMemory(memory_, size_, position_, buffer, count);
}

int64_t TBorrowedMemoryStream::Seek(int64_t offset, SeekOrigin origin) {
  return SeekMemory(size_, position_, offset, origin);
}

}  // namespace platform
