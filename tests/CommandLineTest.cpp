#include "CommandLine.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  std::vector<std::string> arguments;
  std::optional<std::string> path;
};

TEST(MoviePathFromArguments, JoinsTrimsAndUnquotes) {
  const std::vector<Case> cases{
      {{}, std::nullopt},
      {{"", " ", "\t"}, std::nullopt},
      {{"/home/u/My", "Films/demo.exe"}, "/home/u/My Films/demo.exe"},
      {{"\"/home/u/My Films/demo.exe\""}, "/home/u/My Films/demo.exe"},
      {{"  movie.ekcab  "}, "movie.ekcab"},
      // A leading quote costs the last character, whatever it is.
      {{"\"/tmp/demo.exe"}, "/tmp/demo.ex"},
      {{"\""}, ""},
      {{"a", "", "b"}, "a  b"},
  };
  for (const Case& c : cases) {
    std::string label;
    for (const auto& a : c.arguments) label += "[" + a + "]";
    EXPECT_EQ(MoviePathFromArguments(c.arguments), c.path) << label;
  }
}

TEST(TakeSalvageOption, OnlyInFrontOfAMovie) {
  struct SalvageCase {
    std::vector<std::string> arguments;
    bool salvage;
    std::vector<std::string> left;
  };
  const std::vector<SalvageCase> cases{
      {{"--salvage", "a.ekcab"}, true, {"a.ekcab"}},
      {{"--salvage", "My", "Film.ekcab"}, true, {"My", "Film.ekcab"}},
      // Alone it is the name of a file, and after the first argument part of one.
      {{"--salvage"}, false, {"--salvage"}},
      {{"a", "--salvage"}, false, {"a", "--salvage"}},
  };
  for (SalvageCase c : cases) {
    EXPECT_EQ(TakeSalvageOption(c.arguments), c.salvage) << c.left.front();
    EXPECT_EQ(c.arguments, c.left);
  }
}

}  // namespace
