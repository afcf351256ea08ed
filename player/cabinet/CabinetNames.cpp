#include "CabinetNames.h"

std::optional<std::string> SafeRelativeName(const std::string& stored) {
  if (stored.empty() || stored[0] == '/' || stored[0] == '\\') return std::nullopt;
  if (stored.size() >= 2 && stored[1] == ':') return std::nullopt;
  std::string result, part;
  const auto flush = [&]() -> bool {
    if (part == "..") return false;
    if (!part.empty() && part != ".") result += (result.empty() ? "" : "/") + part;
    part.clear();
    return true;
  };
  for (char c : stored) {
    if (c == '/' || c == '\\') {
      if (!flush()) return std::nullopt;
    } else {
      part += c;
    }
  }
  if (!flush() || result.empty()) return std::nullopt;
  return result;
}
