#include "ui/bmp_reader.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ui/hands/bmp_writer.h"

namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A 5 x 3 picture through the build's own writer: the odd width pads every row, and each
// pixel's colour is its own position.
std::vector<uint8_t> WrittenPicture() {
  const int width = 5, height = 3;
  std::vector<uint32_t> pixels(width * height);
  for (int i = 0; i < width * height; ++i) pixels[i] = 0xFF000000u | (i * 16) << 16 | (i * 8) << 8 | i;
  char path[] = "/tmp/velmora-bmp-XXXXXX";
  int fd = mkstemp(path);
  if (fd < 0) return {};
  close(fd);
  bool written = WriteBmp(path, reinterpret_cast<const uint8_t*>(pixels.data()), width, height, width * 4);
  std::vector<uint8_t> bytes = written ? ReadFile(path) : std::vector<uint8_t>();
  unlink(path);
  return bytes;
}

void Put32(std::vector<uint8_t>* bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) (*bytes)[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> rgb;  // rows 3 x width bytes apart
};

// Both steps as the window takes them; false when either refuses.
bool Decode(const std::vector<uint8_t>& bytes, Picture* picture) {
  int32_t width = 0, height = 0;
  if (!BmpSize(bytes.data(), bytes.size(), &width, &height)) return false;
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  if (!DecodeBmp(bytes.data(), bytes.size(), rgb.data(), static_cast<size_t>(width) * 3)) return false;
  *picture = {width, height, std::move(rgb)};
  return true;
}

void ExpectPixel(const Picture& picture, int x, int y, uint8_t r, uint8_t g, uint8_t b) {
  const uint8_t* p = picture.rgb.data() + (static_cast<size_t>(y) * picture.width + x) * 3;
  EXPECT_EQ(p[0], r) << x << "," << y;
  EXPECT_EQ(p[1], g) << x << "," << y;
  EXPECT_EQ(p[2], b) << x << "," << y;
}

}  // namespace

// The window's own picture, read by this reader and by the toolkit's loader: every pixel alike.
TEST(BmpReaderTest, TheHandPictureReadsAsTheToolkitReadsIt) {
  std::vector<uint8_t> bytes = ReadFile(HANDS_BMP);
  ASSERT_FALSE(bytes.empty());
  Picture picture;
  ASSERT_TRUE(Decode(bytes, &picture));
  GdkPixbuf* reference = gdk_pixbuf_new_from_file(HANDS_BMP, nullptr);
  ASSERT_NE(reference, nullptr);
  ASSERT_EQ(picture.width, gdk_pixbuf_get_width(reference));
  ASSERT_EQ(picture.height, gdk_pixbuf_get_height(reference));
  int channels = gdk_pixbuf_get_n_channels(reference), stride = gdk_pixbuf_get_rowstride(reference);
  int differing = 0;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      differing += memcmp(gdk_pixbuf_get_pixels(reference) + y * stride + x * channels,
                          picture.rgb.data() + (static_cast<size_t>(y) * picture.width + x) * 3, 3) != 0;
  EXPECT_EQ(differing, 0);
  g_object_unref(reference);
}

TEST(BmpReaderTest, RowOrderAndPixelLayouts) {
  std::vector<uint8_t> bytes = WrittenPicture();
  ASSERT_FALSE(bytes.empty());
  Picture picture;
  ASSERT_TRUE(Decode(bytes, &picture));
  EXPECT_EQ(picture.width, 5);
  EXPECT_EQ(picture.height, 3);
  ExpectPixel(picture, 0, 0, 0, 0, 0);
  ExpectPixel(picture, 4, 0, 64, 32, 4);
  ExpectPixel(picture, 0, 2, 160, 80, 10);
  ExpectPixel(picture, 4, 2, 224, 112, 14);

  // A negative height says that the rows run from the top: the same bytes read upside down.
  std::vector<uint8_t> topDown = bytes;
  Put32(&topDown, 22, static_cast<uint32_t>(-3));
  Picture flipped;
  ASSERT_TRUE(Decode(topDown, &flipped));
  ExpectPixel(flipped, 0, 2, 0, 0, 0);
  ExpectPixel(flipped, 4, 0, 224, 112, 14);

  // 32 bits per pixel: blue, green, red and one unused byte, no row padding.
  std::vector<uint8_t> wide(bytes.begin(), bytes.begin() + 54);
  wide[28] = 32;
  for (uint8_t i = 0; i < 15; ++i) wide.insert(wide.end(), {i, static_cast<uint8_t>(2 * i), 0xAB, 0xFF});
  Picture deep;
  ASSERT_TRUE(Decode(wide, &deep));
  ExpectPixel(deep, 0, 2, 0xAB, 0, 0);  // the file's first row is the bottom one
  ExpectPixel(deep, 4, 0, 0xAB, 28, 14);

  // Rows wider than the pixels (a toolkit picture pads them): the padding is left alone, and a
  // stride too narrow for a row is refused.
  const size_t stride = 5 * 3 + 2;
  std::vector<uint8_t> padded(stride * 3, 0xEE);
  ASSERT_TRUE(DecodeBmp(bytes.data(), bytes.size(), padded.data(), stride));
  EXPECT_EQ(std::vector<uint8_t>(padded.begin() + stride, padded.begin() + stride + 15),
            std::vector<uint8_t>(picture.rgb.begin() + 15, picture.rgb.begin() + 30));
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(padded[row * stride + 15], 0xEE);
    EXPECT_EQ(padded[row * stride + 16], 0xEE);
  }
  EXPECT_FALSE(DecodeBmp(bytes.data(), bytes.size(), padded.data(), 5 * 3 - 1));
}

// Anything but the plain layout is left to the toolkit, and no cut or odd header makes the
// reader look past the bytes it was given (the sanitizer builds check the reads).
TEST(BmpReaderTest, OtherKindsAndDamagedFilesAreRefused) {
  const std::vector<uint8_t> bytes = WrittenPicture();
  ASSERT_GT(bytes.size(), 54u);
  Picture picture;
  for (size_t size = 0; size < bytes.size(); ++size) {
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + size);  // exactly `size` bytes on the heap
    EXPECT_FALSE(Decode(cut, &picture)) << size << " bytes";
  }
  int32_t width = 0, height = 0;
  EXPECT_FALSE(BmpSize(nullptr, 0, &width, &height));
  uint8_t rgb[3];
  EXPECT_FALSE(DecodeBmp(nullptr, 0, rgb, 3));
  struct Damage {
    const char* what;
    size_t at;
    uint32_t value;
    int width;  // of the field, in bytes
  };
  const Damage kDamages[] = {
      {"no BM mark", 0, 'X', 1},
      {"pixels before the headers", 10, 20, 4},
      {"pixels after the end", 10, 1000, 4},
      {"the oldest, shorter header", 14, 12, 4},
      {"a header past the end", 14, 4096, 4},
      {"no width", 18, 0, 4},
      {"a negative width", 18, 0xFFFFFFFF, 4},
      {"too wide", 18, kBmpMaxSide + 1, 4},
      {"no height", 22, 0, 4},
      {"the most negative height", 22, 0x80000000u, 4},
      {"too tall", 22, kBmpMaxSide + 1, 4},
      {"two planes", 26, 2, 2},
      {"a palette", 28, 8, 2},
      {"16 bits per pixel", 28, 16, 2},
      {"run-length compressed", 30, 1, 4},
      {"bit fields", 30, 3, 4},
  };
  for (const Damage& damage : kDamages) {
    std::vector<uint8_t> damaged = bytes;
    for (int i = 0; i < damage.width; ++i)
      damaged[damage.at + i] = static_cast<uint8_t>(damage.value >> (8 * i));
    EXPECT_FALSE(Decode(damaged, &picture)) << damage.what;
    // The decoder checks on its own too: a caller may skip BmpSize.
    std::vector<uint8_t> out(bytes.size() * 3, 0xEE);
    EXPECT_FALSE(DecodeBmp(damaged.data(), damaged.size(), out.data(), 15)) << damage.what;
    EXPECT_EQ(out[0], 0xEE) << damage.what;
  }
}
