#include "ui/window_scale.h"

#include <gtest/gtest.h>

TEST(WindowScaleTest, TwiceTheSizeFrom144Dpi) {
  const struct {
    double dpi;
    int scale;
  } cases[] = {{96, 1}, {120, 1}, {143.9, 1}, {144, 2}, {192, 2}, {288, 2}, {-1, 1}, {0, 1}};
  for (const auto& c : cases) EXPECT_EQ(ScaleForResolution(c.dpi), c.scale) << c.dpi;
}

TEST(WindowScaleTest, ThePictureForTwiceTheSizeLiesBesideTheOther) {
  EXPECT_EQ(PictureForScale("/usr/lib/Velmora/hands.bmp", 1), "/usr/lib/Velmora/hands.bmp");
  EXPECT_EQ(PictureForScale("/usr/lib/Velmora/hands.bmp", 2), "/usr/lib/Velmora/hands@2x.bmp");
  EXPECT_EQ(PictureForScale("/tmp/x.d/hands", 2), "/tmp/x.d/hands@2x");
}
