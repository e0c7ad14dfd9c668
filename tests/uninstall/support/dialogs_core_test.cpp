#include "uninstall/support/dialogs_core.h"

#include <gtest/gtest.h>

using namespace dialogs;

TEST(Centring, TheWindowGoesToTheMiddleOfTheWorkArea) {
  // A task bar of 40 pixels at the bottom of a 1024 x 768 screen.
  Point p = CentredPosition({0, 0, 1024, 728}, {500, 500, 800, 650}, 1024, 768);
  EXPECT_EQ(p.x, (1024 - 300) / 2);
  EXPECT_EQ(p.y, (728 - 150) / 2);
  // A task bar at the left, and an odd remainder rounded toward zero.
  p = CentredPosition({60, 0, 1024, 768}, {0, 0, 301, 101}, 1024, 768);
  EXPECT_EQ(p.x, 60 + (964 - 301) / 2);
  EXPECT_EQ(p.y, (768 - 101) / 2);
}

TEST(Centring, AWindowLargerThanTheScreenStartsAtItsEdge) {
  Point p = CentredPosition({0, 0, 1024, 728}, {0, 0, 1500, 900}, 1024, 768);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
  // A work area that runs off the screen is pulled back onto it.
  p = CentredPosition({500, 400, 1500, 1200}, {0, 0, 600, 500}, 1024, 768);
  EXPECT_EQ(p.x, 1024 - 600);
  EXPECT_EQ(p.y, 768 - 500);
}

TEST(TitleFont, HeightFromPointsAndResolution) {
  EXPECT_EQ(FontHeight(14, 96), -19);  // 18.67 rounds to 19
  EXPECT_EQ(FontHeight(8, 96), -11);   // 10.67
  EXPECT_EQ(FontHeight(10, 120), -17); // 16.67
  EXPECT_EQ(FontHeight(9, 96), -12);   // exactly 12
  EXPECT_EQ(MulDiv(-3, 1, 2), -2) << "halves round away from zero";
  EXPECT_EQ(MulDiv(3, 1, 2), 2);
  EXPECT_EQ(MulDiv(5, 7, 0), -1);
  EXPECT_EQ(MulDiv(2000000000, 2000000000, 1), -1);
  EXPECT_EQ(MulDiv(2000000000, 3, 4), 1500000000);
}
