#include "Gdi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "Cursors.h"

using namespace gdi;

namespace {

// A picture whose every pixel differs, so that an offset error shows.
std::unique_ptr<Bitmap> Numbered(int w, int h, int bpp = 32) {
  auto b = CreateDIBSection(w, h, bpp);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b->SetPixelValue(x, y, static_cast<uint32_t>(0x010000 * y + 0x100 * x + 7));
  return b;
}

TEST(BitBlt, ClipsAtEveryEdgeAndKeepsSourceOffsets) {
  struct Case {
    int x, y, w, h, sx, sy;
  };
  const Case cases[] = {
      {-3, 2, 6, 3, 0, 0},  {2, -3, 3, 6, 1, 1}, {6, 1, 5, 3, 0, 0},     {1, 5, 3, 5, 2, 0},
      {0, 0, 4, 4, -2, -1}, {0, 0, 9, 9, 5, 5},  {-20, -20, 5, 5, 0, 0},
  };
  for (const Case& c : cases) {
    auto src = Numbered(8, 8);
    auto dst = CreateDIBSection(8, 8, 32);
    ASSERT_TRUE(BitBlt(*dst, c.x, c.y, c.w, c.h, *src, c.sx, c.sy, Rop::SrcCopy));
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        const int sx = c.sx + x - c.x, sy = c.sy + y - c.y;
        const bool inside =
            x >= c.x && x < c.x + c.w && y >= c.y && y < c.y + c.h && sx >= 0 && sx < 8 && sy >= 0 && sy < 8;
        EXPECT_EQ(dst->PixelValue(x, y), inside ? src->PixelValue(sx, sy) : 0u)
            << "case " << c.x << "," << c.y << " pixel " << x << "," << y;
      }
    }
  }
}

TEST(BitBlt, XorAndAndCombineWithTheDestination) {
  auto dst = Numbered(4, 2);
  auto src = CreateDIBSection(4, 2, 32);
  FillRect(*src, {0, 0, 4, 2}, 0x00FF00);
  BitBlt(*dst, 0, 0, 4, 2, *src, 0, 0, Rop::SrcInvert);
  EXPECT_EQ(dst->PixelValue(3, 1), (0x010000u + 0x300 + 7) ^ 0x00FF00);
  BitBlt(*dst, 0, 0, 4, 2, *src, 0, 0, Rop::SrcInvert);
  EXPECT_EQ(dst->PixelValue(3, 1), 0x010000u + 0x300 + 7);
  BitBlt(*dst, 0, 0, 4, 2, *src, 0, 0, Rop::SrcAnd);
  EXPECT_EQ(dst->PixelValue(3, 1), (0x010000u + 0x300 + 7) & 0x00FF00);
}

TEST(BitBlt, MonochromeBecomesWhiteAndBlack) {
  const uint8_t rows[] = {0b10100000, 0, 0b01000000, 0};  // 3 × 2, rows padded to 16 bits
  auto mono = CreateBitmap(3, 2, 1, 1, rows);
  ASSERT_TRUE(mono);
  for (int bpp : {24, 32}) {
    auto dst = CreateDIBSection(3, 2, bpp);
    FillRect(*dst, {0, 0, 3, 2}, 0x123456);
    BitBlt(*dst, 0, 0, 3, 2, *mono, 0, 0, Rop::SrcCopy);
    EXPECT_EQ(dst->PixelRgb(0, 0), kWhite);
    EXPECT_EQ(dst->PixelRgb(1, 0), kBlack);
    EXPECT_EQ(dst->PixelRgb(2, 0), kWhite);
    EXPECT_EQ(dst->PixelRgb(1, 1), kWhite);
    EXPECT_EQ(dst->PixelRgb(2, 1), kBlack);
  }
}

TEST(BitBlt, MasksOntoEightBitsTakeWhiteAndBlackFromTheTableOfTheMoment) {
  // 19 pixels: two whole mask bytes and a tail, then clipped at the left so
  // that the mask starts inside a byte; each operation, then again after the
  // table has moved white and black to other entries.
  std::vector<uint8_t> rows(2 * 4);
  for (int x = 0; x < 19; ++x)
    if ((x * 7) % 3 == 0) rows[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
  rows[4] = 0xFF;
  auto mono = CreateBitmap(19, 2, 1, 1, rows.data());
  // Every other entry grey, so that black and white each have one nearest.
  RGBQuad table[256];
  std::fill(std::begin(table), std::end(table), RGBQuad{128, 128, 128, 0});
  table[3] = {255, 255, 255, 0};
  table[200] = {0, 0, 1, 0};
  for (const Rop rop : {Rop::SrcCopy, Rop::SrcInvert, Rop::SrcAnd}) {
    for (const int at : {0, -3}) {
      for (const auto& [white, black] : {std::pair{3, 200}, std::pair{77, 5}}) {
        RGBQuad moved[256];
        std::fill(std::begin(moved), std::end(moved), RGBQuad{128, 128, 128, 0});
        moved[white] = {255, 255, 255, 0};
        moved[black] = {1, 0, 0, 0};
        auto dst = CreateDIBSection(24, 2, 8, white == 3 ? table : moved, 256);
        for (int x = 0; x < 24; ++x) dst->SetPixelValue(x, 1, static_cast<uint32_t>(x * 11));
        if (white != 3) {
          // The table the bitmap was made with, then changed under it.
          SetDIBColorTable(*dst, 0, 256, table);
          BitBlt(*dst, 0, 0, 19, 1, *mono, 0, 0, Rop::SrcCopy);
          SetDIBColorTable(*dst, 0, 256, moved);
        }
        auto before = CreateDIBSection(24, 2, 8, white == 3 ? table : moved, 256);
        BitBlt(*before, 0, 0, 24, 2, *dst, 0, 0, Rop::SrcCopy);
        BitBlt(*dst, at, 0, 19, 2, *mono, 0, 0, rop);
        for (int y = 0; y < 2; ++y) {
          for (int x = 0; x < 24; ++x) {
            const int sx = x - at;
            uint32_t expected = before->PixelValue(x, y);
            if (x >= std::max(at, 0) && sx < 19) {
              const bool bit = mono->PixelValue(sx, y) != 0;
              const uint32_t value = static_cast<uint32_t>(bit ? white : black);
              expected = rop == Rop::SrcCopy ? value : rop == Rop::SrcInvert ? value ^ expected : value & expected;
            }
            ASSERT_EQ(dst->PixelValue(x, y), expected) << static_cast<int>(rop) << " at " << at << " white " << white
                                                       << " pixel " << x << "," << y;
          }
        }
      }
    }
  }
}

TEST(BitBlt, EightBitSectionsTranslateThroughTheirColourTables) {
  RGBQuad table[3] = {{0, 0, 0, 0}, {0, 0, 255, 0}, {255, 255, 255, 0}};
  auto indexed = CreateDIBSection(2, 1, 8, table, 3);
  indexed->SetPixelValue(0, 0, 1);
  indexed->SetPixelValue(1, 0, 2);
  auto rgb = CreateDIBSection(2, 1, 32);
  BitBlt(*rgb, 0, 0, 2, 1, *indexed, 0, 0, Rop::SrcCopy);
  EXPECT_EQ(rgb->PixelRgb(0, 0), 0xFF0000u);
  EXPECT_EQ(rgb->PixelRgb(1, 0), kWhite);
  // Back to 8 bits by the nearest entry of the other table.
  RGBQuad other[3] = {{255, 255, 250, 0}, {0, 0, 0, 0}, {0, 0, 200, 0}};
  auto back = CreateDIBSection(2, 1, 8, other, 3);
  BitBlt(*back, 0, 0, 2, 1, *rgb, 0, 0, Rop::SrcCopy);
  EXPECT_EQ(back->PixelValue(0, 0), 2u);
  EXPECT_EQ(back->PixelValue(1, 0), 0u);
}

TEST(BitBlt, TwentyFourBitRowsArePadded) {
  auto b = CreateDIBSection(10, 2, 24);
  EXPECT_EQ(b->Stride(), 32);
  EXPECT_EQ(b->ByteSize(), 64u);
  auto mono = CreateBitmap(17, 1, 1, 1, nullptr);
  EXPECT_EQ(RowStride(17, 1, 2), 4);
  EXPECT_EQ(RowStride(769, 32, 4), 3076);
  EXPECT_EQ(RowStride(769, 24, 4), 2308);
  EXPECT_FALSE(CreateDIBSection(0, 5, 32));
  EXPECT_FALSE(CreateDIBSection(5, 5, 4));
  EXPECT_FALSE(CreateBitmap(4, 4, 1, 8, nullptr));
}

TEST(StretchBlt, NearestPixelAndClipped) {
  auto src = Numbered(2, 2);
  auto dst = CreateDIBSection(5, 5, 32);
  StretchBlt(*dst, -1, 0, 4, 4, *src, 0, 0, 2, 2);
  EXPECT_EQ(dst->PixelValue(0, 0), src->PixelValue(0, 0));  // column -1 clipped, column 0 still source 0
  EXPECT_EQ(dst->PixelValue(1, 0), src->PixelValue(1, 0));
  EXPECT_EQ(dst->PixelValue(2, 3), src->PixelValue(1, 1));
  EXPECT_EQ(dst->PixelValue(3, 0), 0u);
  EXPECT_EQ(dst->PixelValue(0, 4), 0u);
}

TEST(DrawIconTest, AndThenXorInvertsWhereBothAreSet) {
  // 2 × 2 cursor: AND rows above XOR rows.
  const uint8_t mask[] = {0b11000000, 0, 0b00000000, 0,   // AND: keep row 0, clear row 1
                          0b10000000, 0, 0b01000000, 0};  // XOR
  auto maskBitmap = CreateBitmap(2, 4, 1, 1, mask);
  auto cursor = CreateIconIndirect({false, 0, 0, maskBitmap.get(), nullptr});
  ASSERT_TRUE(cursor);
  EXPECT_EQ(cursor->Width(), 2);
  EXPECT_EQ(cursor->Height(), 2);
  auto dst = Numbered(3, 3);
  const uint32_t under = dst->PixelValue(1, 1);
  const uint32_t kept = dst->PixelValue(2, 1);
  DrawIcon(*dst, 1, 1, *cursor);
  EXPECT_EQ(dst->PixelValue(1, 1), under ^ 0xFFFFFF);  // AND 1, XOR 1: inverted
  EXPECT_EQ(dst->PixelValue(2, 1), kept);              // AND 1, XOR 0: unchanged
  EXPECT_EQ(dst->PixelRgb(1, 2), kBlack);              // AND 0, XOR 0: black
  EXPECT_EQ(dst->PixelRgb(2, 2), kWhite);              // AND 0, XOR 1: white
  EXPECT_EQ(dst->PixelValue(0, 0), 7u);
}

TEST(Gdi16, FiveSixFivePixelsConvertBothWays) {
  auto screen = CreateBitmap(3, 2, 1, 16, nullptr);
  ASSERT_TRUE(screen);
  EXPECT_EQ(screen->GetKind(), Bitmap::Kind::Device);
  EXPECT_EQ(screen->Stride(), 8);
  // Pure colours keep their full values; others lose the low bits of each part.
  const Rgb colours[] = {0xFFFFFF, 0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x3070E0};
  for (const Rgb c : colours) {
    screen->SetPixelValue(1, 1, screen->NativeValue(c));
    const Rgb back = screen->PixelRgb(1, 1);
    EXPECT_EQ(back & 0xF8FCF8, c & 0xF8FCF8) << std::hex << c;
    if (c == 0xFFFFFF || c == 0) { EXPECT_EQ(back, c); }
  }
  EXPECT_EQ(screen->NativeValue(0xFF0000), 0xF800u);
  EXPECT_EQ(screen->NativeValue(0x00FF00), 0x07E0u);

  // A true-colour section onto the 16-bit screen and back onto 32 bits.
  auto source = CreateDIBSection(3, 2, 32);
  source->SetPixelValue(0, 0, 0xFF0000);
  source->SetPixelValue(2, 1, 0x0000FF);
  ASSERT_TRUE(BitBlt(*screen, 0, 0, 3, 2, *source, 0, 0, Rop::SrcCopy));
  EXPECT_EQ(screen->PixelValue(0, 0), 0xF800u);
  EXPECT_EQ(screen->PixelValue(2, 1), 0x001Fu);
  auto back = CreateCompatibleBitmap(3, 2);
  BitBlt(*back, 0, 0, 3, 2, *screen, 0, 0, Rop::SrcCopy);
  EXPECT_EQ(back->PixelRgb(0, 0), 0xFF0000u);
  EXPECT_EQ(back->PixelRgb(2, 1), 0x0000FFu);
  EXPECT_EQ(back->PixelRgb(1, 0), 0u);
}

}  // namespace
