#include "DurationText.h"

#include <gtest/gtest.h>

TEST(DurationText, FramesOverRateAsTimeOfDay) {
  EXPECT_EQ(DurationText(14, 5), "00:00:02.800");
  EXPECT_EQ(DurationText(169, 5), "00:00:33.800");
  // 100,000 seconds wrap at 24 hours.
  EXPECT_EQ(DurationText(500000, 5), "03:46:40.000");
  EXPECT_EQ(DurationText(1, 3), "00:00:00.333");
  EXPECT_EQ(DurationText(2, 3), "00:00:00.667");
  EXPECT_EQ(DurationText(0, 25), "00:00:00.000");
}

TEST(DurationText, EmptyWithoutRate) { EXPECT_EQ(DurationText(100, 0), ""); }
