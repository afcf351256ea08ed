// Reads the fixed fields of a movie file from a stream. A file that ends
// inside a field is damaged: the reader throws EMovieDamaged naming the field
// instead of taking what is there.
#pragma once

#include <cstdint>
#include <string>

#include "MovieDamaged.h"
#include "Streams.h"

class FieldReader {
 public:
  explicit FieldReader(platform::TStream& stream);

  platform::TStream& Stream() { return stream_; }
  int64_t Remaining() const { return size_ - position_; }

  int32_t Int32(const char* field);
  uint8_t UInt8(const char* field);
  void Bytes(void* buffer, int64_t count, const char* field);
  void Skip(int64_t count, const char* field);
  // Throws unless 0 <= length <= Remaining(): "<field> of N bytes, but only R bytes remain".
  void RequireLength(int64_t length, const char* field);
  // Whatever was read by hand from Stream() in the meantime.
  void Advanced(int64_t count) { position_ += count; }

 private:
  [[noreturn]] void EndsEarly(const char* field, int64_t count) const;

  platform::TStream& stream_;
  int64_t size_;
  int64_t position_;
};
