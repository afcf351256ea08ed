#include "DirtyTiles.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "RowPieces.h"

namespace {

// Marks bytes of the picture memory as a tick does: cut at the rows first.
void MarkBytes(TDirtyTiles& tiles, TRowPieces& rows, size_t begin, size_t end) {
  rows.Split(begin, end, [&](size_t row, size_t first, size_t last) { tiles.MarkRow(row, first, last); });
}

TEST(DirtyTiles, EveryChangedPixelIsCoveredAndFarAwayPixelsAreNot) {
  TDirtyTiles tiles;
  // 100 × 20 pixels of 4 bytes in rows of 400 bytes; a padded 8-bit picture has rows of 104 bytes.
  tiles.Reset(100, 20, 4);
  TRowPieces rows(400);
  MarkBytes(tiles, rows, 400 * 3 + 4 * 70, 400 * 3 + 4 * 72);  // pixels 70, 71 of row 3
  MarkBytes(tiles, rows, 400 * 17 + 4 * 2, 400 * 17 + 4 * 3);  // pixel 2 of row 17
  const QRegion region = tiles.Region();
  EXPECT_TRUE(region.contains(QPoint(70, 3)));
  EXPECT_TRUE(region.contains(QPoint(71, 3)));
  EXPECT_TRUE(region.contains(QPoint(2, 17)));
  EXPECT_FALSE(region.contains(QPoint(2, 3)));                                     // other tile of the same tile row
  EXPECT_FALSE(region.contains(QPoint(70, 12)));                                   // another tile row
  EXPECT_EQ(region.boundingRect() & QRect(0, 0, 100, 20), region.boundingRect());  // clipped to the picture

  // A range across rows takes the end of one and the start of the next; the
  // padding of a row changes no pixel, nor do bytes past the last row.
  tiles.Reset(100, 20, 1);
  TRowPieces padded(104);
  MarkBytes(tiles, padded, 104 * 5 + 100, 104 * 5 + 104);
  MarkBytes(tiles, padded, 104 * 20, 104 * 21);
  EXPECT_TRUE(tiles.Region().isEmpty());
  MarkBytes(tiles, padded, 104 * 5 + 90, 104 * 6 + 3);
  EXPECT_TRUE(tiles.Region().contains(QPoint(99, 5)));
  EXPECT_TRUE(tiles.Region().contains(QPoint(0, 6)));
  EXPECT_FALSE(tiles.Region().contains(QPoint(0, 12)));
}

TEST(DirtyTiles, TileRowsMarkedAlikeMakeOneBand) {
  // The two edges of a window dragged sideways, 100 rows tall, and a caret
  // beside its middle: two tall rectangles above and below the caret's rows.
  TDirtyTiles tiles;
  tiles.Reset(640, 300, 4);
  TRowPieces rows(640 * 4);
  const auto mark = [&](size_t x, size_t y) { MarkBytes(tiles, rows, (y * 640 + x) * 4, (y * 640 + x) * 4 + 4); };
  for (size_t y = 100; y < 200; ++y) {
    mark(130, y);
    mark(530, y);
  }
  mark(300, 150);
  const QRegion region = tiles.Region();
  EXPECT_EQ(region.rectCount(), 2 + 3 + 2);
  for (int y = 100; y < 200; ++y) {
    EXPECT_TRUE(region.contains(QPoint(130, y))) << y;
    EXPECT_TRUE(region.contains(QPoint(530, y))) << y;
  }
  EXPECT_TRUE(region.contains(QPoint(300, 150)));
  EXPECT_FALSE(region.contains(QPoint(300, 140)));
  EXPECT_FALSE(region.contains(QPoint(130, 90)));
  EXPECT_FALSE(region.contains(QPoint(130, 210)));
  // The region is banded as QRegion keeps it: joined with itself it is unchanged.
  EXPECT_EQ(region.united(region), region);
  EXPECT_EQ(region.united(QRegion()), region);
}

TEST(DirtyTiles, ChangesScatteredAllOverAreRepaintedBandByBand) {
  // A pixel in every other tile of every tile row, the next row's shifted by
  // a tile: thousands of rectangles one by one, so each tile row is taken
  // whole from its first to its last.
  TDirtyTiles tiles;
  tiles.Reset(1920, 1080, 1);
  TRowPieces rows(1920);
  const auto first = [](size_t y) { return y / TDirtyTiles::kTileHeight % 2 * TDirtyTiles::kTileWidth; };
  for (size_t y = 0; y < 1080; y += TDirtyTiles::kTileHeight)
    for (size_t x = first(y); x < 1900; x += 2 * TDirtyTiles::kTileWidth)
      MarkBytes(tiles, rows, y * 1920 + x, y * 1920 + x + 1);
  const QRegion region = tiles.Region();
  EXPECT_LE(region.rectCount(), 1080 / int{TDirtyTiles::kTileHeight});
  for (size_t y = 0; y < 1080; y += TDirtyTiles::kTileHeight)
    for (size_t x = first(y); x < 1900; x += 2 * TDirtyTiles::kTileWidth)
      ASSERT_TRUE(region.contains(QPoint(int(x), int(y)))) << x << ", " << y;
  EXPECT_EQ(region.united(region), region);
}

TEST(RowPieces, RangesInAnyOrderAreCutAtEveryRowEnd) {
  TRowPieces rows(10);
  std::vector<std::tuple<size_t, size_t, size_t>> pieces;
  const auto split = [&](size_t begin, size_t end) {
    pieces.clear();
    rows.Split(begin, end, [&](size_t row, size_t first, size_t last) { pieces.emplace_back(row, first, last); });
    return pieces;
  };
  using Pieces = std::vector<std::tuple<size_t, size_t, size_t>>;
  EXPECT_EQ(split(23, 27), (Pieces{{2, 3, 7}}));
  EXPECT_EQ(split(28, 43), (Pieces{{2, 8, 10}, {3, 0, 10}, {4, 0, 3}}));
  EXPECT_EQ(split(5, 10), (Pieces{{0, 5, 10}}));  // back before the last row
  EXPECT_EQ(split(35, 37), (Pieces{{3, 5, 7}}));  // three rows on
  EXPECT_EQ(split(40, 40), Pieces{});
  EXPECT_EQ(split(90, 101), (Pieces{{9, 0, 10}, {10, 0, 1}}));
}

}  // namespace
