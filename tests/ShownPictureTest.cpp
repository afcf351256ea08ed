// What the main window shows while it plays, read back from its backing store
// (offscreen): a tick repaints only what changed, and the window must then
// show the whole picture as it is, unscaled and scaled down.
#include <QApplication>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include "MessageBoxRecorder.h"
#include "PictureView.h"
#include "PlaybackFixtures.h"
#include "PlayerFixtures.h"
#include "ekLensaPlayerImpl1.h"

namespace mw = moviewriter;

namespace {

// A window dragged across a busy desktop, text typed into it, and dots that
// blink all over the picture, one tile apart and more.
mw::Segment Busy(int width, int height, uint8_t depth) {
  mw::Segment s;
  s.name = "Busy";
  s.width = width;
  s.height = height;
  s.bitsPerPixel = depth;
  s.frameRate = 5;
  s.shapes = {mw::ArrowShape()};
  const mw::Picture desktop = fixtures::Pattern(width, height, depth, 3);
  const auto colour = [depth](uint32_t rgb, uint32_t index) { return depth == 8 ? index : rgb; };
  for (int f = 0; f < 14; ++f) {
    mw::Picture p = desktop;
    const int left = 30 + f * 3;
    for (int y = 50; y < 230; ++y)
      for (int x = left; x < left + 200; ++x) p.at(x, y) = colour(y < 66 ? 0x0A246A : 0xD4D0C8, y < 66 ? 4 : 9);
    for (int c = 0; c < f; ++c)
      for (int y = 80; y < 90; ++y)
        for (int x = left + 10 + c * 9; x < left + 17 + c * 9; ++x) p.at(x, y) = colour(0x101010, 1);
    for (int y = 5 + f % 3; y < height; y += 37)
      for (int x = 3 + f % 5; x < width; x += 41) p.at(x, y) = colour(0xFF00FF * (f % 2), 200 + f % 2);
    s.frames.push_back({p, {0, static_cast<uint16_t>(300 - f * 9), static_cast<uint16_t>(100 + f * 7)}, {}});
  }
  return s;
}

// The picture scaled as a viewer expects it: each pixel shows the picture
// pixel under its middle.
QImage Scaled(const QImage& picture, QSize size) {
  QImage scaled(size, QImage::Format_RGB32);
  for (int y = 0; y < size.height(); ++y)
    for (int x = 0; x < size.width(); ++x)
      scaled.setPixel(x, y,
                      picture.pixel(static_cast<int>((x + 0.5) * picture.width() / size.width()),
                                    static_cast<int>((y + 0.5) * picture.height() / size.height())));
  return scaled;
}

class ShownPicture : public testing::Test {
 protected:
  void SetUp() override { MessageBoxRecorder::boxes.clear(); }
  void TearDown() override { player.AStopExecute(); }

  QImage Window() { return player.screen()->grabWindow(player.winId()).toImage(); }

  TekLensaPlayer player;
};

TEST_F(ShownPicture, AfterEachTickTheWindowShowsTheWholePicture) {
  player.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&player));
  for (const uint8_t depth : {uint8_t{32}, uint8_t{8}}) {
    for (const QSize window : {QSize(900, 700), QSize(420, 330), QSize(300, 250)}) {
      player.AStopExecute();
      player.FreeSegments();
      fixtures::LoadIntoPlayer(player, {Busy(641, 479, depth)});
      player.resize(window);
      QApplication::processEvents();
      player.APlayExecute();
      player.Timer.stop();  // the ticks come from here
      player.TimerTimer();
      QApplication::processEvents();
      const char* scaled = player.StretchPicture ? "scaled" : "unscaled";
      ASSERT_EQ(player.StretchPicture, window.width() < 641) << scaled;
      for (int tick = 1; tick < 12; ++tick) {
        player.TimerTimer();
        QApplication::processEvents();
        const QImage& picture = player.PresentedPicture();
        const QRect target(player.spDisplay->mapTo(&player, QPoint(player.PictureLeft, player.PictureTop)),
                           player.StretchPicture ? QSize(player.ScaledWidth, player.ScaledHeight) : picture.size());
        const QImage shown = Window().copy(target).convertToFormat(QImage::Format_RGB32);
        ASSERT_TRUE(shown == Scaled(picture, target.size())) << int{depth} << " bits, " << scaled << ", tick " << tick;
      }
    }
  }
}

}  // namespace
