// Windows-style last-error codes over errno: the callers of this layer were
// written against GetLastError, and error texts shown to the user carry them.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

inline constexpr uint32_t ERROR_SUCCESS = 0;
inline constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr uint32_t ERROR_PATH_NOT_FOUND = 3;
inline constexpr uint32_t ERROR_ACCESS_DENIED = 5;
inline constexpr uint32_t ERROR_INVALID_HANDLE = 6;
inline constexpr uint32_t ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr uint32_t ERROR_SHARING_VIOLATION = 32;
inline constexpr uint32_t ERROR_HANDLE_EOF = 38;
inline constexpr uint32_t ERROR_FILE_EXISTS = 80;
inline constexpr uint32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr uint32_t ERROR_DISK_FULL = 112;
inline constexpr uint32_t ERROR_MOD_NOT_FOUND = 126;
inline constexpr uint32_t ERROR_PROC_NOT_FOUND = 127;
inline constexpr uint32_t ERROR_DIR_NOT_EMPTY = 145;

// An errno without a Windows counterpart keeps its value behind this bit, so
// that its text can still be found.
inline constexpr uint32_t kErrnoCodeBit = 0x20000000;

uint32_t ErrorFromErrno(int errnoValue);
void SetLastError(uint32_t code);
uint32_t GetLastError();
// Stores the Windows form of the current errno as the last error.
void SetLastErrorFromErrno();

// The system's text for a code, as FormatMessage would give it.
std::string SysErrorMessage(uint32_t code);

}  // namespace platform
