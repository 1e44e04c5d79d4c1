#include "ui/bmp_reader.h"

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;  // the oldest Windows header; later ones extend it
constexpr uint32_t kNoCompression = 0;

uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

struct Layout {
  int32_t width;
  int32_t height;
  bool topDown;
  int bytesPerPixel;
  uint64_t pixelOffset;
  uint64_t rowSize;  // with the padding to 4 bytes
};

bool ReadLayout(const uint8_t* data, size_t size, Layout* layout) {
  if (size < kFileHeaderSize + kInfoHeaderSize || data[0] != 'B' || data[1] != 'M') return false;
  const uint8_t* info = data + kFileHeaderSize;
  uint32_t infoSize = Le32(info);
  if (infoSize < kInfoHeaderSize || infoSize > size - kFileHeaderSize) return false;
  auto width = static_cast<int32_t>(Le32(info + 4));
  auto height = static_cast<int32_t>(Le32(info + 8));
  uint16_t planes = Le16(info + 12), bits = Le16(info + 14);
  if (planes != 1 || (bits != 24 && bits != 32) || Le32(info + 16) != kNoCompression) return false;
  // The most negative height has no positive counterpart; every allowed side does.
  if (width < 1 || width > kBmpMaxSide || height == 0 || height < -kBmpMaxSide || height > kBmpMaxSide)
    return false;
  layout->width = width;
  layout->topDown = height < 0;
  layout->height = height < 0 ? -height : height;
  layout->bytesPerPixel = bits / 8;
  layout->pixelOffset = Le32(data + 10);
  layout->rowSize = (static_cast<uint64_t>(width) * layout->bytesPerPixel + 3) / 4 * 4;
  uint64_t end = layout->pixelOffset + layout->rowSize * layout->height;
  return layout->pixelOffset >= kFileHeaderSize + infoSize && end <= size;
}

}  // namespace

bool BmpSize(const uint8_t* data, size_t size, int32_t* width, int32_t* height) {
  Layout layout;
  if (!data || !ReadLayout(data, size, &layout)) return false;
  *width = layout.width;
  *height = layout.height;
  return true;
}

bool DecodeBmp(const uint8_t* data, size_t size, uint8_t* rgb, size_t stride) {
  Layout layout;
  if (!data || !ReadLayout(data, size, &layout) || stride < static_cast<size_t>(layout.width) * 3)
    return false;
  for (int32_t y = 0; y < layout.height; ++y) {
    int32_t fileRow = layout.topDown ? y : layout.height - 1 - y;
    const uint8_t* in = data + layout.pixelOffset + layout.rowSize * fileRow;
    uint8_t* out = rgb + stride * y;
    for (int32_t x = 0; x < layout.width; ++x, in += layout.bytesPerPixel) {
      *out++ = in[2];  // the file holds blue, green, red
      *out++ = in[1];
      *out++ = in[0];
    }
  }
  return true;
}
