// The find window in the real main window (offscreen): a query's lines, a
// line chosen goes to its moment and pauses, F3 goes on to the next and
// round again; Shift+drag on a paused picture leaves it paused.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <fstream>

#include "MovieKey.h"
#include "PictureView.h"
#include "PlaybackFixtures.h"
#include "PlayerFixtures.h"
#include "TextCache.h"
#include "TextCacheFolder.h"
#include "ekAbout.h"
#include "ekDisplay.h"
#include "ekFind.h"
#include "ekLensaPlayerImpl1.h"
#include "ekSegments.h"

namespace mw = moviewriter;

namespace {

mw::Segment Plain(const char* name, int frames, int seed) {
  mw::Segment s;
  s.name = name;
  s.width = 40;
  s.height = 30;
  s.frameRate = 5;
  for (int f = 0; f < frames; ++f) s.frames.push_back({fixtures::Pattern(40, 30, 32, seed + f), {}, {}});
  return s;
}

class FindWindow : public testing::Test {
 protected:
  void SetUp() override {
    player.AttachWindows(&segments, &about, &display);
    player.SplashMilliseconds = 0;
    // The movie is a file: its text cache is named by its bytes.
    const auto bytes = mw::WriteMovie(movie).bytes;
    path = testing::TempDir() + "find-" + std::to_string(::getpid()) + ".~ekflm";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
    player.SetFileName(path);
    fixtures::LoadIntoPlayer(player, movie);
    const std::string folder = TextCacheFolder();
    TTextCache cache(folder, TMovieKeys(folder).KeyOf(path));
    cache.Begin({{"Первый", 5, 6, 40, 30}, {"Второй", 5, 8, 40, 30}});
    cache.Add({1, 5, 7, {2, 3, 30, 10}, "Печать документа"});
    cache.Add({0, 2, 5, {1, 1, 20, 8}, "Параметры печати"});
    cache.Add({0, 0, 1, {1, 1, 20, 8}, "Файл Правка"});
    cache.Commit(14, true);
    player.resize(800, 600);
    player.show();
  }
  void TearDown() override {
    player.AStopExecute();
    std::remove(path.c_str());
  }
  int64_t Shown() const { return player.PictureFrames.Shown(); }

  std::vector<mw::Segment> movie{Plain("Первый", 6, 0), Plain("Второй", 8, 10)};
  TfrmSegments segments;
  TfrmAbout about;
  TfrmDisplay display;
  TekLensaPlayer player;
  std::string path;
};

TEST_F(FindWindow, ALineChosenIsShownPausedAndF3GoesOnAndRoundAgain) {
  player.APlayExecute();
  player.AFindExecute();
  TfrmFind& find = *player.frmFind;
  ASSERT_TRUE(find.isVisible());
  EXPECT_EQ(find.lblProgress->text(), QStringLiteral("Текст фильма прочитан"));
  find.edtQuery->setText(QStringLiteral("ПЕЧАТ"));
  QTest::keyClick(find.edtQuery, Qt::Key_Return);
  ASSERT_EQ(find.lstHits->topLevelItemCount(), 2);
  EXPECT_EQ(find.lstHits->topLevelItem(0)->text(0), QStringLiteral("1. Первый"));
  EXPECT_EQ(find.lstHits->topLevelItem(0)->text(1), QStringLiteral("00:00:00.400"));
  EXPECT_EQ(find.lstHits->topLevelItem(1)->text(2), QStringLiteral("Печать документа"));
  // Enter chose the first: frame 2 of the first segment, paused.
  EXPECT_EQ(Shown(), 2);
  EXPECT_EQ(player.PlayState, playstate::Paused);
  player.AFindNextExecute();
  EXPECT_EQ(Shown(), 6 + 5);
  player.AFindNextExecute();
  EXPECT_EQ(Shown(), 2);
  EXPECT_EQ(player.PlayState, playstate::Paused);
}

TEST_F(FindWindow, ShiftDragOnAPausedPictureLeavesItPausedWhereAClickPlays) {
  player.AFindExecute();
  player.frmFind->edtQuery->setText(QStringLiteral("файл"));
  QTest::keyClick(player.frmFind->edtQuery, Qt::Key_Return);
  ASSERT_EQ(player.PlayState, playstate::Paused);
  player.frmFind->hide();
  TPictureView* view = player.spDisplay;
  const QPoint from(player.PictureLeft + 2, player.PictureTop + 2), to(player.PictureLeft + 30, player.PictureTop + 20);
  QTest::mousePress(view, Qt::LeftButton, Qt::ShiftModifier, from);
  QTest::mouseMove(view, to);
  QTest::mouseRelease(view, Qt::LeftButton, Qt::ShiftModifier, to);
  EXPECT_EQ(player.PlayState, playstate::Paused);
  EXPECT_EQ(Shown(), 0);
  QTest::mouseClick(view, Qt::LeftButton, {}, from);
  EXPECT_EQ(player.PlayState, playstate::Playing);
}

}  // namespace
