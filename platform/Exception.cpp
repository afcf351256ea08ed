#include "Exception.h"

#include <cstdio>

#include "Win32Error.h"

namespace platform {
namespace {

std::string OsErrorText(uint32_t code) {
  if (code == 0) return "A Win32 API function failed";
  char text[512];
  std::snprintf(text, sizeof text, "Win32 Error.  Code: %u.\n%s", code, SysErrorMessage(code).c_str());
  return text;
}

}  // namespace

EOSError::EOSError(uint32_t code) : Exception(OsErrorText(code)), code_(code) {}

}  // namespace platform
