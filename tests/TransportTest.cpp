// The clock and the transport of the real main window, offscreen, with the
// timer driven tick by tick.
#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include "MessageBoxRecorder.h"
#include "PictureView.h"
#include "PlaybackFixtures.h"
#include "PlayerFixtures.h"
#include "ekLensaPlayerImpl1.h"

namespace mw = moviewriter;

namespace {

mw::Segment Plain(int frames, uint8_t rate, int width = 6, int height = 4, uint8_t depth = 32) {
  mw::Segment s;
  s.name = "Сегмент " + std::to_string(frames);
  s.width = width;
  s.height = height;
  s.bitsPerPixel = depth;
  s.frameRate = rate;
  for (int f = 0; f < frames; ++f) s.frames.push_back({fixtures::Pattern(width, height, depth, f), {}, {}});
  return s;
}

class Transport : public testing::Test {
 protected:
  void SetUp() override { MessageBoxRecorder::boxes.clear(); }

  void Load(const std::vector<mw::Segment>& movie) {
    movie_ = movie;
    player.SetFileName("/movies/Урок.ekcab");
    fixtures::LoadIntoPlayer(player, movie);
  }

  // The picture the window shows, as writer pixels.
  mw::Picture Shown() const {
    const QImage& image = player.PresentedPicture();
    mw::Picture p(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) p.at(x, y) = image.pixel(x, y) & 0xFFFFFF;
    return p;
  }

  TekLensaPlayer player;
  std::vector<mw::Segment> movie_;
};

TEST_F(Transport, IntervalFollowsTheFrameRate) {
  Load({Plain(1, 5), Plain(1, 3), Plain(1, 7), Plain(1, 0)});
  player.APlayExecute();
  const int intervals[] = {200, 333, 142, 100};
  for (int s = 0; s < 4; ++s) {
    player.CurSegment = s;
    ASSERT_EQ(player.SetCurSegment(), result::AllRight);
    EXPECT_EQ(player.Timer.interval(), intervals[s]);
  }
}

TEST_F(Transport, TicksPresentWhatThePreviousTickComposed) {
  Load({Plain(3, 5), Plain(1, 5), Plain(2, 5)});
  player.SplashMilliseconds = 0;
  player.APlayExecute();
  EXPECT_EQ(player.PlayState, playstate::Playing);
  EXPECT_TRUE(player.Timer.isActive());
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("Сегмент 3"));
  player.TimerTimer();  // composes frame 0 twice over: presents 0, composes 1
  EXPECT_EQ(Shown().pixels, movie_[0].frames[0].picture.pixels);
  EXPECT_EQ(player.FrameIndex, 2);
  player.TimerTimer();
  EXPECT_EQ(Shown().pixels, movie_[0].frames[1].picture.pixels);
  // Composing frame 2 ends the segment: the one-frame segment is activated
  // and its frame is composed by the next tick, never presented.
  EXPECT_EQ(player.CurSegment, 1);
  player.TimerTimer();
  EXPECT_EQ(Shown().pixels, std::vector<uint32_t>(24, 0));
  EXPECT_EQ(player.CurSegment, 2);
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("Сегмент 2"));
  player.TimerTimer();
  EXPECT_EQ(Shown().pixels, movie_[2].frames[0].picture.pixels);
  EXPECT_EQ(player.PlayState, playstate::Stopped);  // the last frame ended the movie
  EXPECT_EQ(player.pbrProgress->value(), 0);
}

TEST_F(Transport, PresentCopiesWhatChangedAndShowsTheWholeFrame) {
  // Small changes in a large picture, at every depth: presents copy only parts.
  for (uint8_t depth : {uint8_t{32}, uint8_t{8}}) {
    mw::Segment s = Plain(0, 5, 301, 200, depth);
    s.shapes = {mw::ArrowShape()};
    mw::Picture picture = fixtures::Pattern(301, 200, depth, 1);
    for (int f = 0; f < 8; ++f) {
      for (int y = 20 + f * 10; y < 30 + f * 10; ++y)
        for (int x = 100 + f * 7; x < 140 + f * 7; ++x)
          picture.at(x, y) = depth == 8 ? 77 : 0x123456u * (f + 1) & 0xFFFFFF;
      s.frames.push_back({picture, {0, static_cast<uint16_t>(10 + f * 30), static_cast<uint16_t>(150 - f * 5)}, {}});
      if (depth == 8 && f == 0)
        s.frames.back().palette = {250, {0x101010, 0x202020, 0x303030, 0x404040, 0x505050, 0xFFFFFF}};
    }
    player.AStopExecute();
    player.FreeSegments();
    Load({s});
    player.APlayExecute();
    player.TimerTimer();
    std::vector<uint32_t> composed;
    while (player.PlayState == playstate::Playing && player.FrameIndex < 8) {
      const gdi::Bitmap& bitmap = *player.ShownPicture();
      composed.clear();
      for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 301; ++x) {
          const uint32_t v = bitmap.PixelValue(x, y);
          const gdi::RGBQuad& c = player.ColorTable[v & 0xFF];
          composed.push_back(depth == 8 ? (uint32_t{c.rgbRed} << 16 | uint32_t{c.rgbGreen} << 8 | c.rgbBlue)
                                        : v & 0xFFFFFF);
        }
      player.TimerTimer();
      ASSERT_EQ(Shown().pixels, composed) << int{depth} << " frame " << player.FrameIndex;
    }
  }
}

TEST_F(Transport, ProgressCountsComposedFramesOverSegments) {
  Load({Plain(14, 5, 1, 1), Plain(169, 5, 1, 1), Plain(275, 5, 1, 1)});
  player.SplashMilliseconds = 0;
  int afterFirstOfThird = -1, last = 0;
  // Set before the frame position advances, while frame 0 of segment 3 is current.
  QObject::connect(player.pbrProgress, &QProgressBar::valueChanged, [&](int v) {
    if (player.CurSegment == 2 && player.FrameIndex == 0) afterFirstOfThird = v;
    last = std::max(last, v);
  });
  player.APlayExecute();
  for (int ticks = 0; player.PlayState == playstate::Playing; ++ticks) {
    ASSERT_LT(ticks, 500);
    player.TimerTimer();
  }
  EXPECT_EQ(afterFirstOfThird, 184);
  EXPECT_EQ(last, 458);
  EXPECT_EQ(player.pbrProgress->value(), 0);
  EXPECT_EQ(player.CurSegment, 0);
}

TEST_F(Transport, EndOfMovieShowsTheTitleForOneSecondThenStops) {
  Load({Plain(1, 5)});
  player.APlayExecute();
  QElapsedTimer clock;
  clock.start();
  player.TimerTimer();
  EXPECT_GE(clock.elapsed(), 1000);
  EXPECT_EQ(player.PlayState, playstate::Stopped);
  EXPECT_FALSE(player.Timer.isActive());
  EXPECT_FALSE(player.OwnWindowMode);
}

TEST_F(Transport, PauseResumeAndStop) {
  Load({Plain(5, 5)});
  player.APauseExecute();  // stopped: nothing happens, not even the marks
  EXPECT_EQ(player.PlayState, playstate::Stopped);
  EXPECT_EQ(player.ButtonTransparentColor(player.btnStop), QColor(Qt::black));
  player.APlayExecute();
  EXPECT_EQ(player.ButtonTransparentColor(player.btnPlay), QColor(Qt::black));
  EXPECT_EQ(player.ButtonTransparentColor(player.btnStop), QColor(Qt::white));
  EXPECT_FALSE(player.ALoadFromFile->isEnabled());
  EXPECT_FALSE(player.btnLoadFromFile->isEnabled());
  player.TimerTimer();
  const std::vector<uint32_t> composed = fixtures::ComposedPicture(player).pixels;

  player.APauseExecute();
  EXPECT_EQ(player.PlayState, playstate::Paused);
  EXPECT_FALSE(player.Timer.isActive());
  EXPECT_EQ(player.ButtonTransparentColor(player.btnPause), QColor(Qt::black));
  player.APauseExecute();  // a second pause resumes
  EXPECT_EQ(player.PlayState, playstate::Playing);
  EXPECT_TRUE(player.Timer.isActive());
  player.APauseExecute();
  player.APlayExecute();  // so does play
  EXPECT_EQ(player.PlayState, playstate::Playing);
  EXPECT_TRUE(player.Timer.isActive());
  player.TimerTimer();
  EXPECT_EQ(Shown().pixels, composed);  // the frame composed before the pause

  player.AStopExecute();
  EXPECT_EQ(player.PlayState, playstate::Stopped);
  EXPECT_FALSE(player.Timer.isActive());
  EXPECT_EQ(player.pbrProgress->value(), 0);
  EXPECT_EQ(player.CurSegment, 0);
  EXPECT_TRUE(player.spDisplay->Cleared());
  EXPECT_EQ(player.pnlPath->text(), QStringLiteral("Урок.ekcab"));
  EXPECT_TRUE(player.ALoadFromFile->isEnabled());
  player.APlayExecute();
  EXPECT_EQ(player.FrameIndex, 0);
}

TEST_F(Transport, PlayWithoutSegmentsChangesNothing) {
  player.APlayExecute();
  EXPECT_EQ(player.PlayState, playstate::Stopped);
  EXPECT_FALSE(player.Timer.isActive());
}

TEST_F(Transport, ErrorsDuringATickStopPlaybackWithTheirMessage) {
  Load({Plain(1, 5), Plain(1, 5)});
  player.SegmentList[1]->SegStream->SetSize(TMoviePlayback::FrameBufferSize + 1);
  player.APlayExecute();
  player.Guarded([this] { player.TimerTimer(); });
  ASSERT_EQ(MessageBoxRecorder::boxes.size(), 1u);
  EXPECT_EQ(MessageBoxRecorder::boxes[0].text, "Segment is too big");
  EXPECT_EQ(MessageBoxRecorder::boxes[0].caption, "Error");
  EXPECT_EQ(player.PlayState, playstate::Stopped);
}

TEST_F(Transport, UnsupportedDepthEndsTheProgramAfterMessageZero) {
  Load({Plain(2, 5)});
  player.SegmentList[0]->BitsPerPixel = 16;
  player.APlayExecute();
  ASSERT_EQ(MessageBoxRecorder::boxes.size(), 1u);
  EXPECT_EQ(MessageBoxRecorder::boxes[0].text, "В текущей версии не поддерживается данный видео режим.");
  EXPECT_TRUE(player.Ending());
  EXPECT_FALSE(player.Timer.isActive());
}

TEST_F(Transport, LayoutCentresAndScalesDownInTheWindow) {
  Load({Plain(1, 5, 500, 100)});
  player.APlayExecute();
  player.spDisplay->resize(1001, 300);
  player.LayoutPicture();
  EXPECT_FALSE(player.StretchPicture);
  EXPECT_EQ(player.PictureLeft, 250);
  EXPECT_EQ(player.PictureTop, 100);
  player.spDisplay->resize(250, 300);
  player.LayoutPicture();
  EXPECT_TRUE(player.StretchPicture);
  EXPECT_EQ(player.ScaledWidth, 250);
  EXPECT_EQ(player.ScaledHeight, 50);
  EXPECT_EQ(player.PictureLeft, 0);
  EXPECT_EQ(player.PictureTop, 125);
}

}  // namespace
