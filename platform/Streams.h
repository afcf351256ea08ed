// File and in-memory streams. Every part of a movie is held in an in-memory
// stream once read; the reads that must be complete throw EReadError.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "Files.h"

namespace platform {

enum class SeekOrigin { Begin = 0, Current = 1, End = 2 };

class TStream {
 public:
  virtual ~TStream() = default;

  // As many bytes as there are, up to count.
  [[nodiscard]] virtual int64_t Read(void* buffer, int64_t count) = 0;
  [[nodiscard]] virtual int64_t Write(const void* buffer, int64_t count) = 0;
  virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
  virtual int64_t Size();

  int64_t Position() { return Seek(0, SeekOrigin::Current); }
  void SetPosition(int64_t position) { Seek(position, SeekOrigin::Begin); }
  // Bytes between the position and the end.
  int64_t Remaining();

  // All count bytes, or EReadError / EWriteError.
  void ReadBuffer(void* buffer, int64_t count);
  void WriteBuffer(const void* buffer, int64_t count);
  // Exactly count bytes from source's position into this stream; a source
  // that ends early raises EReadError. A count of 0 copies nothing.
  virtual void CopyFrom(TStream& source, int64_t count);
};

class TFileStream : public TStream {
 public:
  enum class Mode { OpenRead, OpenReadWrite, Create };
  // OpenRead with share 0 takes the file exclusively. Without followLinks a
  // link in the last place of the path is refused. Throws EFOpenError.
  TFileStream(const std::string& path, Mode mode, uint32_t shareMode = 0, bool followLinks = true);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Size() override;

 private:
  FileHandle handle_;
};

class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  ~TMemoryStream() override;
  TMemoryStream(const TMemoryStream&) = delete;
  TMemoryStream& operator=(const TMemoryStream&) = delete;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Size() override { return size_; }
  void CopyFrom(TStream& source, int64_t count) override;

  // Grows or shrinks the block; new bytes are zero. Throws std::bad_alloc.
  void SetSize(int64_t size);
  void Clear();
  uint8_t* Memory() { return memory_; }
  const uint8_t* Memory() const { return memory_; }

 private:
  void Resize(int64_t size, bool zeroNewBytes);

  uint8_t* memory_ = nullptr;
  int64_t size_ = 0;
  int64_t position_ = 0;
};

// Reads bytes that someone else holds, without copying them; writes nothing.
class TBorrowedMemoryStream : public TStream {
 public:
  TBorrowedMemoryStream(const uint8_t* memory, int64_t size) : memory_(memory), size_(size) {}

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void*, int64_t) override { return 0; }
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Size() override { return size_; }

 private:
  const uint8_t* memory_;
  int64_t size_;
  int64_t position_ = 0;
};

}  // namespace platform
