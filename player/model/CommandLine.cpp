#include "CommandLine.h"

std::optional<std::string> MoviePathFromArguments(const std::vector<std::string>& arguments) {
  std::string text;
  for (const std::string& argument : arguments) text += argument + ' ';
  // Blanks and control characters are all at or below the space.
  const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  size_t begin = 0, end = text.size();
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  text = text.substr(begin, end - begin);
  if (text.empty()) return std::nullopt;
  if (text.front() == '"') text = text.size() >= 2 ? text.substr(1, text.size() - 2) : std::string();
  return text;
}

bool TakeSalvageOption(std::vector<std::string>& arguments) {
  if (arguments.size() < 2 || arguments.front() != "--salvage") return false;
  arguments.erase(arguments.begin());
  return true;
}
