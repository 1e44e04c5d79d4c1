#include "ui/hands/bmp_writer.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

struct Rgb {
  int r, g, b;
};

Rgb PixelAt(GdkPixbuf* picture, int x, int y) {
  const guchar* p = gdk_pixbuf_get_pixels(picture) + y * gdk_pixbuf_get_rowstride(picture) +
                    x * gdk_pixbuf_get_n_channels(picture);
  return {p[0], p[1], p[2]};
}

}  // namespace

// Read back by the toolkit's own loader, as the window reads it: an odd width tests row padding,
// distinct corners test the bottom-up row order and the colour byte order.
TEST(BmpWriterTest, TheToolkitLoaderReadsWhatWasWritten) {
  const int width = 5, height = 3, stride = width * 4;
  std::vector<uint32_t> pixels(width * height, 0xFF000000);
  pixels[0] = 0xFFFF0000;                     // top left red
  pixels[width - 1] = 0xFF00FF00;             // top right green
  pixels[(height - 1) * width] = 0xFF0000FF;  // bottom left blue
  pixels[height * width - 1] = 0x00123456;    // alpha is dropped
  char path[] = "/tmp/velmora-bmp-XXXXXX";
  int fd = mkstemp(path);
  ASSERT_NE(fd, -1);
  close(fd);
  ASSERT_TRUE(WriteBmp(path, reinterpret_cast<const uint8_t*>(pixels.data()), width, height, stride));
  GdkPixbuf* picture = gdk_pixbuf_new_from_file(path, nullptr);
  unlink(path);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(gdk_pixbuf_get_width(picture), width);
  EXPECT_EQ(gdk_pixbuf_get_height(picture), height);
  Rgb red = PixelAt(picture, 0, 0), green = PixelAt(picture, width - 1, 0);
  Rgb blue = PixelAt(picture, 0, height - 1), last = PixelAt(picture, width - 1, height - 1);
  EXPECT_EQ(red.r, 255);
  EXPECT_EQ(red.b, 0);
  EXPECT_EQ(green.g, 255);
  EXPECT_EQ(blue.b, 255);
  EXPECT_EQ(blue.r, 0);
  EXPECT_EQ(last.r, 0x12);
  EXPECT_EQ(last.g, 0x34);
  EXPECT_EQ(last.b, 0x56);
  g_object_unref(picture);
}

TEST(BmpWriterTest, AnUnwritablePathFails) {
  uint32_t pixel = 0;
  EXPECT_FALSE(WriteBmp("/nonexistent-dir/hands.bmp", reinterpret_cast<const uint8_t*>(&pixel), 1, 1, 4));
}
