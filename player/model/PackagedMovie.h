// A packaged movie: a program with a cabinet appended to it and the cabinet's
// length in the last four bytes, little-endian. The player, the converter,
// the thumbnailer and the packer all read and write it here.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// A packaged movie is known by its extension ".exe", in any case, and by
// nothing else: a cabinet named so is taken for a packaged movie, and a
// packaged movie renamed is not one.
bool IsPackagedMovie(const std::string& path);

inline constexpr int64_t kPackagedTrailerBytes = 4;

// Where the cabinet lies in a packaged movie.
struct TAppendedCabinet {
  int64_t start = 0;
  int64_t length = 0;
};

// The cabinet that the last four bytes `trailer` of a file of `fileSize`
// bytes give; none when it would start before the file or run into the
// trailer, with why in `failure`.
std::optional<TAppendedCabinet> AppendedCabinet(const uint8_t* trailer, int64_t fileSize, std::string& failure);

// The trailer that follows a cabinet of `length` bytes; none for a cabinet
// longer than the four bytes can say.
std::optional<std::array<uint8_t, 4>> PackagedTrailer(int64_t length);
