#include "PackagedMovie.h"

#include <cstdint>

#include "Files.h"
#include "LittleEndian.h"

bool IsPackagedMovie(const std::string& path) { return platform::LowerFileExt(path) == ".exe"; }

std::optional<TAppendedCabinet> AppendedCabinet(const uint8_t* trailer, int64_t fileSize, std::string& failure) {
  if (fileSize < kPackagedTrailerBytes) {
    failure = "the file of " + std::to_string(fileSize) + " bytes is too short for a packaged movie";
    return std::nullopt;
  }
  const int64_t length = platform::Int32LE(trailer);
  if (length < 0 || length > fileSize - kPackagedTrailerBytes) {
    failure = "the trailer gives a cabinet of " + std::to_string(length) + " bytes in a file of " +
              std::to_string(fileSize) + " bytes";
    return std::nullopt;
  }
  return TAppendedCabinet{fileSize - kPackagedTrailerBytes - length, length};
}

std::optional<std::array<uint8_t, 4>> PackagedTrailer(int64_t length) {
  // The reader takes the length as signed.
  if (length < 0 || length > INT32_MAX) return std::nullopt;
  const auto value = static_cast<uint32_t>(length);
  return std::array<uint8_t, 4>{static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                                static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
}
