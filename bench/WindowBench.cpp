// Playing ticks as the window shows them: the present, the frame step and
// the repaint of what changed, for a picture scaled into a smaller window, the
// same picture unscaled (what scaling should cost no more than), and an 8-bit
// picture; each against a memcpy of the picture in the same run.
#include <QApplication>
#include <QProgressBar>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "PictureView.h"
#include "ScreencastMovies.h"
#include "ekLensaPlayerImpl1.h"

namespace {

// The median tick over ten passes of a 60-frame typical screencast.
double ShownTickMicroseconds(int depth, QSize area) {
  TekLensaPlayer player;
  player.SegmentList.push_back(MakeScreencast(TScreencast::Typical, 1920, 1080, depth, 60));
  player.Loaded = true;
  player.CurSegment = 0;
  // The bar of a ten-minute movie at five frames a second, as opening sets it:
  // it moves a pixel every 17 frames, not every frame as over these 60.
  player.pbrProgress->setMaximum(3000);
  player.show();
  QApplication::processEvents();
  player.resize(player.size() + area - player.spDisplay->size());
  QApplication::processEvents();
  player.APlayExecute();
  player.Timer.stop();  // the ticks come from here
  std::vector<double> ticks;
  for (int pass = 0; pass < 10; ++pass) {
    player.CurSegment = 0;
    player.SetCurSegment();
    player.TimerTimer();
    QApplication::processEvents();
    while (player.PlayState == playstate::Playing && player.FrameIndex + 1 < 60) {
      const auto begin = std::chrono::steady_clock::now();
      player.TimerTimer();
      QApplication::processEvents();
      ticks.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - begin).count());
    }
  }
  player.AStopExecute();
  std::sort(ticks.begin(), ticks.end());
  return ticks[ticks.size() / 2];
}

double MemcpyMicroseconds() {
  std::vector<uint8_t> from(1920 * 1080 * 4, 1), to(from.size());
  std::vector<double> copies;
  for (int i = 0; i < 50; ++i) {
    const auto begin = std::chrono::steady_clock::now();
    std::memcpy(to.data(), from.data(), from.size());
    copies.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - begin).count());
  }
  std::sort(copies.begin(), copies.end());
  return copies[copies.size() / 2];
}

void Figure(const char* name, double value, double baseline) {
  std::printf("%s: %.1f us (baseline: memcpy of the picture %.1f us, ratio %.3f)\n", name, value, baseline,
              value / baseline);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const double scaled = ShownTickMicroseconds(32, QSize(1366, 768));
  const double copy1 = MemcpyMicroseconds();
  Figure("shown playing tick, typical 1920 x 1080 x 32 scaled to 1366 x 768", scaled, copy1);
  const double unscaled = ShownTickMicroseconds(32, QSize(1920, 1080));
  Figure("shown playing tick, typical 1920 x 1080 x 32 unscaled", unscaled, MemcpyMicroseconds());
  const double indexed = ShownTickMicroseconds(8, QSize(1920, 1080));
  const double copy2 = MemcpyMicroseconds();
  Figure("shown playing tick, typical 1920 x 1080 x 8", indexed, copy2);
  return 0;
}
