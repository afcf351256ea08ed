// The one-byte result codes of the player's own operations.
#pragma once

#include <cstdint>
#include <string>

using TResult = uint8_t;

namespace result {
inline constexpr TResult AllRight = 0;
inline constexpr TResult CannotAllocMemory = 1;
inline constexpr TResult OutOfIndexBound = 2;
inline constexpr TResult LessThanMinSize = 3;
inline constexpr TResult LessZero = 4;
inline constexpr TResult FilmIsEmpty = 5;
inline constexpr TResult FilmIsNil = 6;
inline constexpr TResult FilmStreamIsNil = 7;
inline constexpr TResult CursorStreamIsNil = 8;
inline constexpr TResult SegmentListIsNil = 9;
inline constexpr TResult CurPosIsNil = 10;
inline constexpr TResult SegmentIsNil = 11;
inline constexpr TResult FrameIsNil = 12;
inline constexpr TResult OutOfMemory = 13;
inline constexpr TResult NoSegments = 14;
inline constexpr TResult NoText = 15;
inline constexpr TResult UnKnownError = 16;
}  // namespace result

std::string ResultText(TResult code);

// "place: text" in a box captioned "Result" with the information icon.
void ShowResult(const std::string& place, TResult code);
