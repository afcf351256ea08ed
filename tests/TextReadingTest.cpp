// When a movie's text is read and for which frames a line is said to stand,
// with a stand-in for the recognizer that reads each dark block as a line.
#include <gtest/gtest.h>

#include "MovieReader.h"
#include "MovieTextReader.h"
#include "MovieWriter.h"
#include "Exception.h"
#include "Streams.h"

namespace {

struct TBlock {
  int x, y, width, height;
  int32_t from, to;  // frames it is drawn on, both included
};

// A 32-bit segment of white frames with dark blocks, the cursor moving over them.
moviewriter::Movie BlockMovie(const std::vector<TBlock>& blocks, int frames, int frameRate) {
  moviewriter::Segment segment;
  segment.frameRate = static_cast<uint8_t>(frameRate);
  segment.width = 160;
  segment.height = 100;
  segment.shapes = {moviewriter::ArrowShape()};
  for (int f = 0; f < frames; ++f) {
    moviewriter::Frame frame;
    frame.picture = moviewriter::Picture(160, 100, 0xFFFFFF);
    for (const TBlock& b : blocks)
      if (f >= b.from && f <= b.to)
        for (int y = b.y; y < b.y + b.height; ++y)
          for (int x = b.x; x < b.x + b.width; ++x) frame.picture.at(x, y) = 0x202020;
    frame.cursor = {0, static_cast<uint16_t>(20 + f * 3 % 100), static_cast<uint16_t>(30 + f % 20)};
    segment.frames.push_back(std::move(frame));
  }
  return moviewriter::WriteMovie({segment});
}

// Each row of dark pixels in the area, as a line named after its width.
std::vector<TReadLine> ReadBlocks(const TGrayPicture& picture, const TTextBox& area, int& reads) {
  ++reads;
  std::vector<TReadLine> lines;
  int top = -1;
  for (int y = area.y; y <= area.y + area.height; ++y) {
    int left = area.x + area.width, right = -1;
    if (y < area.y + area.height)
      for (int x = area.x; x < area.x + area.width; ++x)
        if (picture.pixels[static_cast<size_t>(y) * picture.stride + x] < 128) left = std::min(left, x), right = x;
    if (right >= 0 && top < 0) top = y;
    if (right >= 0) lines.empty() || lines.back().box.y != top
                        ? lines.push_back({{left, top, right - left + 1, 1}, ""})
                        : void(lines.back().box.height = y - top + 1);
    if (right < 0) top = -1;
  }
  for (TReadLine& l : lines) l.text = "block " + std::to_string(l.box.width);
  return lines;
}

std::vector<TTextLine> ReadLines(const moviewriter::Movie& movie, int& reads,
                                 std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max()) {
  TMoviePlayback playback;
  EXPECT_EQ(playback.AllocFrameBuffer(TMoviePlayback::FrameBufferSize), result::AllRight);
  platform::TBorrowedMemoryStream stream(movie.bytes.data(), static_cast<int64_t>(movie.bytes.size()));
  ReadMovie(stream, playback.SegmentList);
  std::vector<TTextLine> lines;
  TTextReading reading;
  reading.read = [&](const TGrayPicture& p, const TTextBox& a) { return ReadBlocks(p, a, reads); };
  reading.onLine = [&](const TTextLine& line) { lines.push_back(line); };
  reading.deadline = deadline;
  ReadMovieText(playback, reading);
  return lines;
}

TEST(ReadMovieText, ALineStandsFromItsLastChangeUntilItsPixelsChangeWhateverTheCursorDoes) {
  int reads = 0;
  // Appears on frame 5 and goes on frame 30 of 50, at 10 frames a second.
  const auto lines = ReadLines(BlockMovie({{40, 40, 60, 10, 5, 29}}, 50, 10), reads);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, "block 60");
  EXPECT_EQ(lines[0].firstFrame, 5);
  EXPECT_EQ(lines[0].lastFrame, 29);
  EXPECT_EQ(lines[0].box.x, 40);
  EXPECT_EQ(lines[0].box.y, 40);
  EXPECT_EQ(lines[0].box.height, 10);
  // Read when the picture settled a second after it began, after the block
  // appeared, after it went, and once more at the segment's end at most.
  EXPECT_LE(reads, 4);
}

TEST(ReadMovieText, ALineTypedOnIsReadWholeFromWhenItStoppedChanging) {
  int reads = 0;
  // A line of 40 pixels, typed on to 90 on frame 25, both standing to the end.
  const auto lines = ReadLines(BlockMovie({{20, 30, 40, 10, 2, 59}, {60, 30, 50, 10, 25, 59}}, 60, 5), reads);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].text, "block 40");
  EXPECT_EQ(lines[0].firstFrame, 2);
  EXPECT_EQ(lines[0].lastFrame, 24);
  EXPECT_EQ(lines[1].text, "block 90");
  EXPECT_EQ(lines[1].firstFrame, 25);
  EXPECT_EQ(lines[1].lastFrame, 59);
}

TEST(ReadMovieText, WhatNeverSettlesIsReadAtTheSegmentsEnd) {
  int reads = 0;
  // Drawn on the last frame but one: no second of stillness is left.
  const auto lines = ReadLines(BlockMovie({{10, 10, 30, 8, 18, 19}}, 20, 10), reads);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].firstFrame, 18);
  EXPECT_EQ(lines[0].lastFrame, 19);
}

}  // namespace

namespace {

TEST(ReadMovieText, ReadingGivesUpPastItsDeadlineNamingTheSegment) {
  int reads = 0;
  const auto movie = BlockMovie({{10, 10, 30, 8, 0, 19}}, 20, 10);
  try {
    ReadLines(movie, reads, std::chrono::steady_clock::now() - std::chrono::seconds(1));
    FAIL() << "read past the deadline";
  } catch (const platform::Exception& e) {
    EXPECT_STREQ(e.what(), "segment 1: its pictures change too much to read their text in the time allowed");
  }
  EXPECT_EQ(reads, 0);
}

}  // namespace
