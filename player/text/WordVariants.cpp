#include "WordVariants.h"

#include <algorithm>

namespace {

// The byte offsets of the word's letters, and its end.
std::vector<size_t> LetterStarts(const std::string& word) {
  std::vector<size_t> starts;
  for (size_t i = 0; i < word.size(); ++i)
    if ((static_cast<unsigned char>(word[i]) & 0xC0) != 0x80) starts.push_back(i);
  starts.push_back(word.size());
  return starts;
}

std::vector<std::string> Letters(const std::string& word) {
  const std::vector<size_t> starts = LetterStarts(word);
  std::vector<std::string> letters;
  for (size_t i = 0; i + 1 < starts.size(); ++i) letters.push_back(word.substr(starts[i], starts[i + 1] - starts[i]));
  return letters;
}

}  // namespace

size_t LetterCount(const std::string& word) { return LetterStarts(word).size() - 1; }

std::vector<std::string> WordVariants(const std::string& word) {
  const std::vector<size_t> starts = LetterStarts(word);
  std::vector<std::string> variants;
  for (size_t i = 0; i + 1 < starts.size(); ++i) {
    std::string variant = word.substr(0, starts[i]) + word.substr(starts[i + 1]);
    if (variants.empty() || variants.back() != variant) variants.push_back(std::move(variant));
  }
  return variants;
}

bool OneLetterApart(const std::string& a, const std::string& b) {
  const std::vector<std::string> x = Letters(a), y = Letters(b);
  const std::vector<std::string>& longer = x.size() >= y.size() ? x : y;
  const std::vector<std::string>& shorter = x.size() >= y.size() ? y : x;
  if (longer.size() - shorter.size() > 1) return false;
  size_t head = 0;
  while (head < shorter.size() && longer[head] == shorter[head]) ++head;
  if (head == shorter.size()) return true;
  // Past the first difference the rest must agree, with one letter changed or one more.
  const size_t skip = longer.size() == shorter.size() ? 1 : 0;
  return std::equal(shorter.begin() + static_cast<std::ptrdiff_t>(head + skip), shorter.end(),
                    longer.begin() + static_cast<std::ptrdiff_t>(head + 1));
}
