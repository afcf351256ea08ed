#include "CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace platform {

std::string Cp1251ToUtf8(std::string_view text) {
  iconv_t cd = ::iconv_open("UTF-8", "CP1251");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv has no CP1251 converter");
  std::string out(text.size() * 3 + 4, '\0');
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  while (inLeft > 0) {
    if (::iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
      if (errno != EILSEQ && errno != EINVAL) break;
      // 0x98 is the one byte without a character; it shows as a replacement mark.
      static const char kReplacement[] = "\xEF\xBF\xBD";
      if (outLeft < 3) break;
      for (char c : kReplacement) {
        if (c == '\0') break;
        *outPtr++ = c;
        --outLeft;
      }
      ++in;
      --inLeft;
    }
  }
  ::iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

namespace {

bool IsUtf8(std::string_view text) {
  iconv_t cd = ::iconv_open("UTF-8", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return true;
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  bool valid = true;
  while (inLeft > 0 && valid) {
    char buffer[256];
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    if (::iconv(cd, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1)) valid = errno == E2BIG;
  }
  ::iconv_close(cd);
  return valid;
}

}  // namespace

std::string FileNameText(std::string_view name) { return IsUtf8(name) ? std::string(name) : Cp1251ToUtf8(name); }

}  // namespace platform
