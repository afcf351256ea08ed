// Words one wrong letter apart, for finding text the recognizer misread: a
// word's variants are the word with each one of its letters left out, and
// two words are one letter apart when one is a variant of the other or they
// share a variant at the same place.
#pragma once

#include <string>
#include <vector>

// The word (UTF-8) with each of its letters left out in turn, each variant once.
std::vector<std::string> WordVariants(const std::string& word);

// The words differ by at most one letter left out, added or changed.
bool OneLetterApart(const std::string& a, const std::string& b);

// Letters in a UTF-8 word.
size_t LetterCount(const std::string& word);
