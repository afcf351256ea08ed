// The converter's command line and the moments it names, table by table.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ConvertArguments.h"
#include "FramePoint.h"
#include "PlaybackFixtures.h"

namespace mw = moviewriter;

TEST(ConvertArguments, MomentsAreFramesOrTimes) {
  struct Case {
    const char* text;
    std::optional<TFramePoint> point;
  };
  const auto frame = [](int64_t n) { return std::optional<TFramePoint>(TFramePoint{false, n}); };
  const auto time = [](int64_t ms) { return std::optional<TFramePoint>(TFramePoint{true, ms}); };
  const Case cases[] = {
      {"1", frame(1)},
      {"7", frame(7)},
      {"9999999999", frame(9999999999)},
      {"0", std::nullopt},
      {"12345678901", std::nullopt},  // more digits than any movie has frames
      {"-1", std::nullopt},
      {"a", std::nullopt},
      {"", std::nullopt},
      {"5.5", time(5500)},
      {"1.05", time(1050)},
      {"00:00:02.733", time(2733)},
      {"1:02", time(62000)},
      {"1:02:03.004", time(3723004)},
      {"90", frame(90)},
      {"90.0", time(90000)},
      {"1:75", std::nullopt},
      {"1:2:3:4", std::nullopt},
      {"00:00:01.5000", std::nullopt},
      {".5", std::nullopt},
      {"1:", std::nullopt},
      {"1:60", std::nullopt},
      {"1.x", std::nullopt},
  };
  for (const Case& c : cases) {
    const std::optional<TFramePoint> point = ParseFramePoint(c.text);
    ASSERT_EQ(point.has_value(), c.point.has_value()) << c.text;
    if (!point) continue;
    EXPECT_EQ(point->isTime, c.point->isTime) << c.text;
    EXPECT_EQ(point->value, c.point->value) << c.text;
  }
}

// Two segments: 4 frames at 2 a second (2 s), then 3 at 10 a second.
TEST(ConvertArguments, MomentsFallOnTheFrameShownThen) {
  std::vector<mw::Segment> movie(2);
  for (int s = 0; s < 2; ++s) {
    movie[s].name = s == 0 ? "Slow" : "Fast";
    movie[s].width = 4;
    movie[s].height = 2;
    movie[s].frameRate = s == 0 ? 2 : 10;
    for (int f = 0; f < (s == 0 ? 4 : 3); ++f) movie[s].frames.push_back({fixtures::Pattern(4, 2, 32, f), {}, {}});
  }
  TMoviePlayback playback;
  fixtures::LoadMovie(playback, movie);
  const std::pair<TFramePoint, std::optional<int64_t>> cases[] = {
      {{true, 0}, 0},    {{true, 499}, 0},   {{true, 500}, 1}, {{true, 1999}, 3}, {{true, 2000}, 4}, {{true, 2100}, 5},
      {{true, 2299}, 6}, {{true, 2300}, {}}, {{false, 1}, 0},  {{false, 7}, 6},   {{false, 8}, {}},
  };
  for (const auto& [point, expected] : cases)
    EXPECT_EQ(FrameAt(playback, point), expected) << (point.isTime ? "ms " : "frame ") << point.value;
}

TEST(ConvertArguments, CommandLinesTakenOrRefusedWithTheirReason) {
  struct Case {
    std::vector<const char*> words;  // after the program's name
    const char* refusal;             // empty when taken
  };
  const Case cases[] = {
      {{}, "no command"},
      {{"info", "a", "--json"}, ""},
      {{"info", "a", "--from", "1"}, "unknown option --from"},
      {{"frames", "a"}, "wrong arguments for frames"},
      {{"frames", "a", "out", "--segment", "0"}, "--segment takes a segment number from 1"},
      {{"frames", "a", "out", "--segment", "1234567"}, "--segment takes a segment number from 1"},
      {{"frames", "a", "out", "--segment", "3", "--from", "1:75"}, "--from takes a frame number"},
      {{"frame", "a", "1:75", "o.png"}, "the moment must be a frame number"},
      {{"video", "a.ekcab", "o.avi"}, "the output must end in .mp4, .mkv, .webm or .gif"},
      {{"video", "a.ekcab", "o.webm", "--lossless"}, "--lossless needs an .mkv or .mp4 output"},
      {{"thumbnail", "a", "b.png", "--size", "0"}, "--size takes a number of pixels from 1"},
      {{"thumbnail", "a", "b.png", "--size", "100000"}, "--size takes a number of pixels from 1"},
      {{"thumbnail", "a", "b.png", "--size", "99999"}, ""},
      {{"rescue", "a.exe", "b.ekcab", "--json"}, ""},
      {{"video", "a.exe", "b.mkv", "--salvage"}, ""},
      {{"thumbnail", "a.exe", "b.png", "--salvage"}, ""},
      {{"rescue", "a.exe", "b.ekcab", "--salvage"}, "unknown option --salvage"},
      {{"rescue", "a.exe", "b.cab"}, "the repaired movie must end in .ekcab"},
      {{"rescue", "a.exe", "b.ekcab", "--no-cursor"}, "unknown option --no-cursor"},
      {{"rescue", "a.exe"}, "wrong arguments for rescue"},
      {{"text", "a.ekcab", "--json"}, ""},
      {{"text", "a.ekcab", "--salvage"}, "unknown option --salvage"},
      {{"text", "a.ekcab", "b.ekcab"}, "wrong arguments for text"},
      {{"search", "print settings", "a.ekcab", "shelf", "--jobs", "4", "--json"}, ""},
      {{"search", "print settings"}, "wrong arguments for search"},
      {{"search", "word", "shelf", "--jobs", "0"}, "--jobs takes a number of movies from 1"},
      {{"search", "word", "shelf", "--no-cursor"}, "unknown option --no-cursor"},
      {{"info", "a", "--jobs", "2"}, "unknown option --jobs"},
      {{"play", "a"}, "wrong arguments for play"},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv{"ekconvert"};
    argv.insert(argv.end(), c.words.begin(), c.words.end());
    std::string refusal;
    try {
      (void)ParseArguments(static_cast<int>(argv.size()), argv.data());
    } catch (const TUsageError& e) { refusal = e.message; }
    const std::string words = c.words.empty() ? "(none)" : c.words.front();
    if (*c.refusal == '\0') {
      EXPECT_EQ(refusal, "") << words;
    } else {
      EXPECT_EQ(refusal.rfind(c.refusal, 0), 0u) << words << ": " << refusal;
    }
  }
  // What is taken: a video without a name goes beside the movie.
  const char* video[] = {"ekconvert", "video", "dir/movie.ekcab", "--segment", "2", "--from", "0:01.5", "--no-cursor"};
  const TConvertArguments a = ParseArguments(8, video);
  EXPECT_EQ(a.positional, (std::vector<std::string>{"dir/movie.ekcab", "dir/movie.mp4"}));
  EXPECT_EQ(a.segment, 2);
  ASSERT_TRUE(a.from);
  EXPECT_EQ(a.from->value, 1500);
  EXPECT_TRUE(a.noCursor);
  const char* thumbnail[] = {"ekconvert", "thumbnail", "a", "b.png", "--size", "99999"};
  EXPECT_EQ(ParseArguments(6, thumbnail).size, 99999);
}
