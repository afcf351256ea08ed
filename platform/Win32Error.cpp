#include "Win32Error.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

namespace platform {
namespace {

thread_local uint32_t lastError = ERROR_SUCCESS;

// The first errno of a code is the one whose text describes it.
constexpr std::array<std::pair<uint32_t, int>, 14> kErrnoTable{{
    {ERROR_FILE_NOT_FOUND, ENOENT},
    {ERROR_PATH_NOT_FOUND, ENOTDIR},
    {ERROR_ACCESS_DENIED, EACCES},
    {ERROR_ACCESS_DENIED, EPERM},
    {ERROR_ACCESS_DENIED, EROFS},
    {ERROR_ACCESS_DENIED, EISDIR},
    {ERROR_INVALID_HANDLE, EBADF},
    {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
    {ERROR_SHARING_VIOLATION, EWOULDBLOCK},
    {ERROR_FILE_EXISTS, EEXIST},
    {ERROR_INVALID_PARAMETER, EINVAL},
    {ERROR_DISK_FULL, ENOSPC},
    {ERROR_DISK_FULL, EDQUOT},
    {ERROR_DIR_NOT_EMPTY, ENOTEMPTY},
}};

}  // namespace

uint32_t ErrorFromErrno(int errnoValue) {
  if (errnoValue == 0) return ERROR_SUCCESS;
  for (const auto& [code, value] : kErrnoTable)
    if (value == errnoValue) return code;
  return kErrnoCodeBit | static_cast<uint32_t>(errnoValue);
}

void SetLastError(uint32_t code) { lastError = code; }
uint32_t GetLastError() { return lastError; }
void SetLastErrorFromErrno() { lastError = ErrorFromErrno(errno); }

std::string SysErrorMessage(uint32_t code) {
  if (code & kErrnoCodeBit) return std::strerror(static_cast<int>(code & ~kErrnoCodeBit));
  switch (code) {
    case ERROR_SUCCESS: return "The operation completed successfully";
    case ERROR_MOD_NOT_FOUND: return "The specified module could not be found";
    case ERROR_PROC_NOT_FOUND: return "The specified procedure could not be found";
    case ERROR_HANDLE_EOF: return "Reached the end of the file";
    default: break;
  }
  for (const auto& [known, value] : kErrnoTable)
    if (known == code) return std::strerror(value);
  return "Unknown error " + std::to_string(code);
}

}  // namespace platform
