#include "Result.h"

#include <array>

#include "MessageBox.h"

std::string ResultText(TResult code) {
  static constexpr std::array<const char*, 17> kTexts{
      "All Right",     "Cannot Alloc Memory", "Out Of Index Bound", "Less than Min Size",  "Less Zero",
      "Film Is Empty", "Film Is Nil",         "Film Stream Is Nil", "CursorStream Is Nil", "Segment List Is Nil",
      "CurPos Is Nil", "Segment Is Nil",      "Frame Is Nil",       "Out Of Memory",       "No Segments",
      nullptr,         "UnKnown Error"};
  if (code < kTexts.size() && kTexts[code]) return kTexts[code];
  return "Out of bounds of TResult";
}

void ShowResult(const std::string& place, TResult code) {
  platform::MessageBox(place + ": " + ResultText(code), "Result", platform::MessageIcon::Information);
}
