#include "FieldReader.h"

#include "LittleEndian.h"

FieldReader::FieldReader(platform::TStream& stream)
    : stream_(stream), size_(stream.Size()), position_(stream.Position()) {}

void FieldReader::EndsEarly(const char* field, int64_t count) const {
  throw EMovieDamaged(std::string(field) + " of " + std::to_string(count) + " bytes, but only " +
                      std::to_string(Remaining()) + " bytes remain");
}

void FieldReader::Bytes(void* buffer, int64_t count, const char* field) {
  if (count > Remaining()) EndsEarly(field, count);
  stream_.ReadBuffer(buffer, count);
  position_ += count;
}

int32_t FieldReader::Int32(const char* field) {
  uint8_t b[4];
  Bytes(b, 4, field);
  return platform::Int32LE(b);
}

uint8_t FieldReader::UInt8(const char* field) {
  uint8_t b;
  Bytes(&b, 1, field);
  return b;
}

void FieldReader::Skip(int64_t count, const char* field) {
  RequireLength(count, field);
  stream_.Seek(count, platform::SeekOrigin::Current);
  position_ += count;
}

void FieldReader::RequireLength(int64_t length, const char* field) {
  if (length < 0) throw EMovieDamaged(std::string(field) + " of " + std::to_string(length) + " bytes is negative");
  if (length > Remaining()) EndsEarly(field, length);
}
