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

}  // namespace
