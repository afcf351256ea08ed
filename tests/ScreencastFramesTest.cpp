// The movies the benchmarks measure, at every depth, composed frame for frame
// as the composer did before its fast paths: the checksums were taken from
// that composer and frozen, so that a path taken only by long stretches of
// blank runs, full changes or one-pixel runs can't change a picture unseen.
// When a checksum must change, the test writes what it found beside the
// build's tests (golden-screencasts.checksums) to compare and take over by hand.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "CabinetFixtures.h"
#include "PlaybackFixtures.h"
#include "ScreencastMovies.h"

TEST(ScreencastFrames, EveryBenchmarkMovieAtEveryDepthComposesAsItDid) {
  struct Movie {
    const char* name;
    TScreencast kind;
    int width, height, frames;
  };
  // Sizes of the benchmarks, with fewer frames: the typical and lesson
  // movies reach their whole-screen switches, and 769 pixels pad 8-bit rows.
  const Movie movies[] = {
      {"typical", TScreencast::Typical, 769, 569, 205},   {"static", TScreencast::Static, 1920, 1080, 12},
      {"lesson", TScreencast::Lesson, 769, 569, 160},     {"full_change", TScreencast::FullChange, 769, 569, 6},
      {"worst_case", TScreencast::WorstCase, 769, 569, 3}, {"typical", TScreencast::Typical, 1920, 1080, 12},
  };
  std::ostringstream found;
  for (const Movie& movie : movies) {
    for (const int depth : {32, 24, 8}) {
      TMoviePlayback playback;
      ASSERT_EQ(playback.AllocFrameBuffer(TMoviePlayback::FrameBufferSize), result::AllRight);
      playback.SegmentList.push_back(MakeScreencast(movie.kind, movie.width, movie.height, depth, movie.frames));
      ASSERT_EQ(playback.SetCurSegment(), result::AllRight);
      for (int f = 0; f < movie.frames; ++f) {
        ASSERT_EQ(playback.ComposePicture(), result::AllRight);
        found << movie.name << " " << movie.width << "x" << movie.height << "x" << depth << " " << f + 1 << " "
              << std::hex << fixtures::PictureChecksum(playback, true) << std::dec << "\n";
        if (f + 1 < movie.frames) {
          ASSERT_EQ(playback.NextFrame(), result::AllRight);
        }
      }
    }
  }
  std::ofstream(fixtures::BuildFolder() + "tests/golden-screencasts.checksums") << found.str();
  std::ifstream frozen(std::string(EK_SOURCE_FOLDER) + "/tests/golden/screencasts.checksums");
  std::ostringstream expected;
  expected << frozen.rdbuf();
  EXPECT_EQ(found.str(), expected.str());
}
