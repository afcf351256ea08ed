#include "DirtyTiles.h"

#include <gtest/gtest.h>

namespace {

TEST(DirtyTiles, EveryChangedPixelIsCoveredAndFarAwayPixelsAreNot) {
  TDirtyTiles tiles;
  // 100 × 20 pixels of 4 bytes in rows of 400 bytes; a padded 8-bit picture has rows of 104 bytes.
  tiles.Reset(100, 20, 400, 4);
  tiles.MarkBytes(400 * 3 + 4 * 70, 400 * 3 + 4 * 72);  // pixels 70, 71 of row 3
  tiles.MarkBytes(400 * 17 + 4 * 2, 400 * 17 + 4 * 3);  // pixel 2 of row 17
  const QRegion region = tiles.Region();
  EXPECT_TRUE(region.contains(QPoint(70, 3)));
  EXPECT_TRUE(region.contains(QPoint(71, 3)));
  EXPECT_TRUE(region.contains(QPoint(2, 17)));
  EXPECT_FALSE(region.contains(QPoint(2, 3)));                                     // other tile of the same tile row
  EXPECT_FALSE(region.contains(QPoint(70, 12)));                                   // another tile row
  EXPECT_EQ(region.boundingRect() & QRect(0, 0, 100, 20), region.boundingRect());  // clipped to the picture

  // A range across rows takes those rows whole; the padding of a row changes no pixel.
  tiles.Reset(100, 20, 104, 1);
  tiles.MarkBytes(104 * 5 + 100, 104 * 5 + 104);
  EXPECT_TRUE(tiles.Region().isEmpty());
  tiles.MarkBytes(104 * 5 + 90, 104 * 6 + 3);
  EXPECT_TRUE(tiles.Region().contains(QPoint(0, 5)));
  EXPECT_TRUE(tiles.Region().contains(QPoint(99, 6)));
}

}  // namespace
