#include <QLabel>

#include <gtest/gtest.h>

#include "MessageBoxRecorder.h"
#include "MovieWriter.h"
#include "Streams.h"
#include "ekAbout.h"
#include "ekDisplay.h"
#include "ekLensaPlayerImpl1.h"
#include "ekSegments.h"

namespace {

class PlayerWindow : public testing::Test {
 protected:
  void SetUp() override { MessageBoxRecorder::boxes.clear(); }
};

TEST_F(PlayerWindow, CreationPreparesTheMainObject) {
  TekLensaPlayer player;
  EXPECT_FALSE(player.CreationFailed());
  EXPECT_TRUE(MessageBoxRecorder::boxes.empty());
  ASSERT_FALSE(player.TempDir.empty());
  EXPECT_EQ(player.TempDir.back(), '/');
  EXPECT_EQ(player.TempMovieFile, player.TempDir + "MyFilm.~ekflm");
  EXPECT_TRUE(player.FrameBuffer);
  ASSERT_TRUE(player.CursorStream);
  EXPECT_EQ(player.CursorStream->Size(), 0);
  ASSERT_TRUE(player.CurrentShape);
  EXPECT_FALSE(player.CurrentShape->Handle());
  EXPECT_EQ(player.CursorWidth, 32);
  EXPECT_EQ(player.LogPalette.palVersion, 0x300);
  EXPECT_EQ(player.CurSegment, 0);
  EXPECT_FALSE(player.Loaded);
  EXPECT_EQ(player.LastResult, result::AllRight);
}

TEST_F(PlayerWindow, FrameBufferThatCannotBeHadIsReportedAsFormCreate) {
  TekLensaPlayer player(int64_t{1} << 62);
  EXPECT_TRUE(player.CreationFailed());
  EXPECT_FALSE(player.FrameBuffer);
  ASSERT_EQ(MessageBoxRecorder::boxes.size(), 1u);
  EXPECT_EQ(MessageBoxRecorder::boxes[0].text, "FormCreate: Segment Is Nil");
  EXPECT_EQ(MessageBoxRecorder::boxes[0].caption, "Result");
  EXPECT_EQ(player.LastResult, result::SegmentIsNil);
}

TEST_F(PlayerWindow, SegmentTableFillsTheGrid) {
  TekLensaPlayer player;
  TfrmSegments segments;
  TfrmAbout about;
  TfrmDisplay display;
  player.AttachWindows(&segments, &about, &display);

  std::vector<moviewriter::Segment> movie(3);
  const char* names[] = {"Сегмент 1", "Второй", "без частоты"};
  const int frames[] = {14, 169, 2};
  const uint8_t rates[] = {5, 5, 0};
  for (int i = 0; i < 3; ++i) {
    movie[i].name = names[i];
    movie[i].width = movie[i].height = 1;
    movie[i].frameRate = rates[i];
    movie[i].frames.resize(static_cast<size_t>(frames[i]), {moviewriter::Picture(1, 1), {}, {}});
  }
  const auto bytes = moviewriter::WriteMovie(movie).bytes;
  platform::TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  player.ReadSegmentTable(&stream);
  EXPECT_EQ(stream.Position(), 4 + 3 * 261);
  ASSERT_EQ(segments.RowCount(), 4);
  EXPECT_EQ(segments.Cell(1, 0), QStringLiteral("Название"));
  EXPECT_EQ(segments.Cell(0, 2), QStringLiteral("2"));
  EXPECT_EQ(segments.Cell(1, 1), QStringLiteral("Сегмент 1"));
  EXPECT_EQ(segments.Cell(2, 1), QStringLiteral("00:00:02.800"));
  EXPECT_EQ(segments.Cell(2, 2), QStringLiteral("00:00:33.800"));
  EXPECT_EQ(segments.Cell(2, 3), QString());
  for (int i = 0; i < 3; ++i) player.LoadSegmentFromStream(&stream);
  EXPECT_EQ(player.SegmentList.size(), 3u);

  // A movie without segments leaves the grid as it was.
  const auto empty = moviewriter::WriteMovie({}).bytes;
  platform::TMemoryStream emptyStream;
  emptyStream.WriteBuffer(empty.data(), 4);
  player.ReadSegmentTable(&emptyStream);
  EXPECT_EQ(segments.RowCount(), 4);
  EXPECT_EQ(player.FreeSegments(), result::AllRight);
  EXPECT_TRUE(player.SegmentList.empty());
}

TEST_F(PlayerWindow, SetFileNameShowsTheNameAndClearsLoaded) {
  TekLensaPlayer player;
  player.Loaded = true;
  player.SetFileName("/home/user/My Films/DEMO.EXE");
  EXPECT_EQ(player.GetFileName(), "/home/user/My Films/DEMO.EXE");
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("DEMO.EXE"));
  EXPECT_FALSE(player.Loaded);
}

}  // namespace
