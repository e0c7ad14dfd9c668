#include "setup/extraction/extraction_progress.h"

#include <gtest/gtest.h>

namespace {

TEST(TotalPercent, RoundsHalvesToTheEvenNeighbour) {
  EXPECT_EQ(extraction::TotalPercent(1, 8, 0), 12);  // 12.5
  EXPECT_EQ(extraction::TotalPercent(3, 8, 0), 38);  // 37.5
  EXPECT_EQ(extraction::TotalPercent(5, 8, 0), 62);  // 62.5
  EXPECT_EQ(extraction::TotalPercent(1, 3, 0), 33);
  EXPECT_EQ(extraction::TotalPercent(2, 3, 0), 67);
  EXPECT_EQ(extraction::TotalPercent(1, 200, 0), 0);  // 0.5
  EXPECT_EQ(extraction::TotalPercent(3, 200, 0), 2);  // 1.5
  EXPECT_EQ(extraction::TotalPercent(8, 8, 0), 100);
}

TEST(TotalPercent, StaysWithinTheBarAndKeepsItWithoutATotal) {
  EXPECT_EQ(extraction::TotalPercent(9, 8, 0), 100);
  EXPECT_EQ(extraction::TotalPercent(2147483647, 3, 0), 100);
  EXPECT_EQ(extraction::TotalPercent(1, 0, 42), 42);
  EXPECT_EQ(extraction::TotalPercent(1, -5, 7), 7);
}

TEST(FailedFileQuestion, TextAndCaptionInCodePage1251) {
  EXPECT_EQ(extraction::FailedFileText("bin\\a.dll"),
            "bin\\a.dll - \xCE\xF8\xE8\xE1\xEA\xE0 \xF0\xE0\xF1\xEF\xE0\xEA\xEE\xE2\xEA\xE8 !");
  EXPECT_EQ(extraction::FailedFileCaption(),
            "\xCF\xF0\xEE\xE4\xEE\xEB\xE6\xE8\xF2\xFC \xF3\xF1\xF2\xE0\xED\xEE\xE2\xEA\xF3 ?");
}

}  // namespace
