// Going to frames from the progress bar and the keys, stepping, and the
// playing speed, in the real main window (offscreen): what is shown after
// each, and that playing on gives the frames playing through gives.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "MessageBoxRecorder.h"
#include "PlaybackFixtures.h"
#include "PlayerFixtures.h"
#include "ekAbout.h"
#include "ekDisplay.h"
#include "ekLensaPlayerImpl1.h"
#include "ekSegments.h"

namespace mw = moviewriter;

namespace {

mw::Segment Plain(const char* name, int frames, int width, int height, uint8_t depth, int seed) {
  mw::Segment s;
  s.name = name;
  s.width = width;
  s.height = height;
  s.bitsPerPixel = depth;
  s.frameRate = 5;
  for (int f = 0; f < frames; ++f) s.frames.push_back({fixtures::Pattern(width, height, depth, seed + f), {}, {}});
  return s;
}

// Three segments of different sizes and depths: 12 frames in all.
std::vector<mw::Segment> Movie() {
  return {Plain("Первый", 4, 6, 4, 32, 0), Plain("Второй", 5, 9, 5, 24, 10), Plain("Третий", 3, 7, 3, 32, 20)};
}

class Seeking : public testing::Test {
 protected:
  void SetUp() override {
    MessageBoxRecorder::boxes.clear();
    player.AttachWindows(&segments, &about, &display);
    player.SplashMilliseconds = 0;
    player.SetFileName("/movies/film.ekcab");
    fixtures::LoadIntoPlayer(player, movie);
    player.resize(800, 600);
    player.show();
    player.activateWindow();
    QApplication::setActiveWindow(&player);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&player));
  }
  void TearDown() override { player.AStopExecute(); }

  // The source picture of frame `frame` of the whole movie.
  QImage Expected(int64_t frame) const {
    int32_t s = 0, f = 0;
    EXPECT_TRUE(player.LocateFrame(frame, s, f));
    const mw::Picture& p = movie[static_cast<size_t>(s)].frames[static_cast<size_t>(f)].picture;
    QImage image(p.width, p.height, QImage::Format_RGB32);
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) image.setPixel(x, y, 0xFF000000u | p.at(x, y));
    return image;
  }
  bool Shows(int64_t frame) const { return player.PresentedPicture() == Expected(frame); }

  // A click on the bar in the middle of frame `frame`.
  void ClickBar(int64_t frame) {
    const int x = static_cast<int>((frame + 0.5) * player.pbrProgress->width() / player.TotalFrames());
    QTest::mouseClick(player.pbrProgress, Qt::LeftButton, {}, QPoint(x, 5));
  }

  // Ticks until the movie ends, and the frames shown on the way.
  std::vector<int64_t> PlayOn() {
    std::vector<int64_t> shown;
    player.Timer.stop();
    while (player.PlayState == playstate::Playing && shown.size() < 100) {
      player.TimerTimer();
      if (player.PlayState != playstate::Playing) break;
      shown.push_back(player.PictureFrames.Shown());
      EXPECT_TRUE(Shows(player.PictureFrames.Shown())) << "frame " << player.PictureFrames.Shown();
    }
    return shown;
  }

  const std::vector<mw::Segment> movie = Movie();
  TfrmSegments segments;
  TfrmAbout about;
  TfrmDisplay display;
  TekLensaPlayer player;
};

TEST_F(Seeking, ABarClickShowsTheFrameWhenStoppedPausedOrPlaying) {
  ClickBar(6);
  EXPECT_EQ(player.PlayState, playstate::Paused);
  EXPECT_FALSE(player.Timer.isActive());
  EXPECT_TRUE(Shows(6));
  EXPECT_EQ(player.pbrProgress->value(), 7);
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("Второй"));

  ClickBar(1);
  EXPECT_EQ(player.PlayState, playstate::Paused);
  EXPECT_TRUE(Shows(1));
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("Первый"));

  player.APlay->trigger();
  ASSERT_EQ(player.PlayState, playstate::Playing);
  ClickBar(10);
  EXPECT_EQ(player.PlayState, playstate::Playing);
  EXPECT_TRUE(player.Timer.isActive());
  EXPECT_TRUE(Shows(10));
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("Третий"));
  EXPECT_TRUE(MessageBoxRecorder::boxes.empty());
}

TEST_F(Seeking, ADragAlongTheBarShowsTheFrameUnderThePointer) {
  const int width = player.pbrProgress->width();
  QTest::mousePress(player.pbrProgress, Qt::LeftButton, {}, QPoint(2, 5));
  EXPECT_TRUE(Shows(0));
  for (int64_t frame : {3, 8, 11, 5}) {
    const QPointF at((frame + 0.5) * width / 12, 5);
    QMouseEvent move(QEvent::MouseMove, at, player.pbrProgress->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(player.pbrProgress, &move);
    EXPECT_TRUE(Shows(frame)) << frame;
    EXPECT_EQ(player.pbrProgress->value(), frame + 1);
  }
  QTest::mouseRelease(player.pbrProgress, Qt::LeftButton, {}, QPoint(2, 5));
  EXPECT_EQ(player.PlayState, playstate::Paused);
}

TEST_F(Seeking, PlayingOnFromAnyFrameShowsWhatPlayingThroughShows) {
  player.APlay->trigger();
  const std::vector<int64_t> through = PlayOn();
  ASSERT_GE(through.size(), 8u);
  for (int64_t from = 0; from < player.TotalFrames(); ++from) {
    player.AStopExecute();
    ClickBar(from);
    ASSERT_TRUE(Shows(from));
    player.APlay->trigger();
    std::vector<int64_t> expected;
    for (int64_t frame : through)
      if (frame > from) expected.push_back(frame);
    EXPECT_EQ(PlayOn(), expected) << "from " << from;
  }
}

TEST_F(Seeking, StepsGoFrameByFrameAcrossSegmentsAndStopAtTheEnds) {
  // Steps belong to the pause.
  QTest::keyClick(&player, Qt::Key_Right);
  EXPECT_EQ(player.PlayState, playstate::Stopped);
  ClickBar(0);
  QTest::keyClick(&player, Qt::Key_Left);
  EXPECT_TRUE(Shows(0));
  for (int64_t frame = 1; frame < 12; ++frame) {
    QTest::keyClick(&player, Qt::Key_Right);
    EXPECT_TRUE(Shows(frame)) << frame;
  }
  QTest::keyClick(&player, Qt::Key_Right);
  EXPECT_TRUE(Shows(11));
  EXPECT_EQ(player.PlayState, playstate::Paused);
  for (int64_t frame = 10; frame >= 0; --frame) {
    QTest::keyClick(&player, Qt::Key_Left);
    EXPECT_TRUE(Shows(frame)) << frame;
    EXPECT_EQ(player.pbrProgress->value(), frame + 1);
  }
  // After a step, resuming goes on from the frame shown.
  ClickBar(3);
  player.APlay->trigger();
  player.Timer.stop();
  player.TimerTimer();
  EXPECT_TRUE(Shows(4));
  const int64_t playing = player.PictureFrames.Shown();
  QTest::keyClick(&player, Qt::Key_Left);
  EXPECT_EQ(player.PictureFrames.Shown(), playing);
}

TEST_F(Seeking, PageKeysGoToSegmentStartsAndHomeToTheFirstFrame) {
  QTest::keyClick(&player, Qt::Key_PageDown);
  EXPECT_EQ(player.PlayState, playstate::Paused);
  EXPECT_TRUE(Shows(4));
  QTest::keyClick(&player, Qt::Key_PageDown);
  EXPECT_TRUE(Shows(9));
  QTest::keyClick(&player, Qt::Key_PageDown);  // there is no segment after the last
  EXPECT_TRUE(Shows(9));
  // Inside a segment Page Up goes to its start, from there to the one before.
  QTest::keyClick(&player, Qt::Key_Right);
  QTest::keyClick(&player, Qt::Key_PageUp);
  EXPECT_TRUE(Shows(9));
  QTest::keyClick(&player, Qt::Key_PageUp);
  EXPECT_TRUE(Shows(4));
  QTest::keyClick(&player, Qt::Key_PageUp);
  EXPECT_TRUE(Shows(0));
  QTest::keyClick(&player, Qt::Key_PageUp);
  EXPECT_TRUE(Shows(0));
  ClickBar(7);
  QTest::keyClick(&player, Qt::Key_Home);
  EXPECT_TRUE(Shows(0));
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("Первый"));
  // The keys act in the display window too.
  player.SetOwnWindowMode(true);
  display.show();
  display.activateWindow();
  QApplication::setActiveWindow(&display);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&display));
  QTest::keyClick(&display, Qt::Key_PageDown);
  EXPECT_TRUE(Shows(4));
  EXPECT_EQ(display.windowTitle(), QStringLiteral("film.ekcab:  Второй"));
  // Escape leaves the display window only when it fills the screen.
  QTest::keyClick(&display, Qt::Key_Escape);
  EXPECT_TRUE(player.IsOwnWindowMode());
  display.SetDialogBorder(false);
  QTest::keyClick(&display, Qt::Key_Escape);
  EXPECT_FALSE(player.IsOwnWindowMode());
  EXPECT_FALSE(player.ASetOwnWindow->isChecked());
}

TEST_F(Seeking, SpacePlaysAndPausesAsTheirKeysDo) {
  player.AStopExecute();
  QTest::keyClick(&player, Qt::Key_Space);
  EXPECT_EQ(player.PlayState, playstate::Playing);
  QTest::keyClick(&player, Qt::Key_Space);
  EXPECT_EQ(player.PlayState, playstate::Paused);
  QTest::keyClick(&player, Qt::Key_Space);
  EXPECT_EQ(player.PlayState, playstate::Playing);
  // The panel's buttons never take the keyboard: Space is never theirs.
  for (QToolButton* button : player.pnlControls->findChildren<QToolButton*>())
    EXPECT_EQ(button->focusPolicy(), Qt::NoFocus) << button->objectName().toStdString();
}

TEST_F(Seeking, SpeedKeysDoubleAndHalveBetweenAQuarterAndFourTimes) {
  player.APlay->trigger();
  ASSERT_EQ(player.Timer.interval(), 200);
  QTest::keyClick(&player, Qt::Key_Plus);
  EXPECT_EQ(player.Timer.interval(), 100);
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("Первый  ×2"));
  QTest::keyClick(&player, Qt::Key_Plus, Qt::KeypadModifier);
  QTest::keyClick(&player, Qt::Key_Plus);
  EXPECT_EQ(player.Timer.interval(), 50);
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("Первый  ×4"));
  for (int i = 0; i < 5; ++i) QTest::keyClick(&player, Qt::Key_Minus, i % 2 ? Qt::KeypadModifier : Qt::NoModifier);
  EXPECT_EQ(player.Timer.interval(), 800);
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("Первый  ×1/4"));
  // The speed stays for the next segment and with a pause.
  QTest::keyClick(&player, Qt::Key_PageDown);
  EXPECT_EQ(player.Timer.interval(), 800);
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("Второй  ×1/4"));
  player.APause->trigger();
  QTest::keyClick(&player, Qt::Key_Plus);
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("Второй  ×1/2"));
  QTest::keyClick(&player, Qt::Key_Plus);
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("Второй"));
  QTest::keyClick(&player, Qt::Key_Minus);
  // Stop goes back to the first segment at normal speed.
  player.AStop->trigger();
  EXPECT_EQ(player.SpeedStep, 0);
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("film.ekcab"));
  QTest::keyClick(&player, Qt::Key_Plus);
  EXPECT_EQ(player.SpeedStep, 0);
  player.APlay->trigger();
  EXPECT_EQ(player.CurSegment, 0);
  EXPECT_EQ(player.Timer.interval(), 200);
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("Первый"));
}

TEST_F(Seeking, WithoutAMovieTheBarAndTheKeysDoNothing) {
  player.ResetMovie();
  player.Loaded = false;
  player.pbrProgress->setMaximum(0);
  ClickBar(0);
  for (Qt::Key key : {Qt::Key_Home, Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_Right, Qt::Key_Plus})
    QTest::keyClick(&player, key);
  EXPECT_EQ(player.PlayState, playstate::Stopped);
  EXPECT_TRUE(MessageBoxRecorder::boxes.empty());
}

}  // namespace
