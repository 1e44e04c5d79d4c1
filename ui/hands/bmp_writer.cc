#include "ui/hands/bmp_writer.h"

#include <stdio.h>
#include <string.h>

#include <string>

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

void Put(std::string* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

int RowSize(int width) { return (width * 3 + 3) / 4 * 4; }  // rows are padded to 4 bytes

std::string Headers(int width, int height) {
  uint32_t dataSize = RowSize(width) * height;
  std::string out = "BM";
  Put(&out, kFileHeaderSize + kInfoHeaderSize + dataSize, 4);
  Put(&out, 0, 4);
  Put(&out, kFileHeaderSize + kInfoHeaderSize, 4);
  Put(&out, kInfoHeaderSize, 4);
  Put(&out, width, 4);
  Put(&out, height, 4);  // positive: rows run from the bottom up
  Put(&out, 1, 2);       // planes
  Put(&out, 24, 2);      // bits per pixel
  Put(&out, 0, 4);       // no compression
  Put(&out, dataSize, 4);
  Put(&out, 2835, 4);  // 72 dots per inch
  Put(&out, 2835, 4);
  Put(&out, 0, 4);
  Put(&out, 0, 4);
  return out;
}

void PutRow(std::string* out, const uint8_t* row, int width) {
  for (int x = 0; x < width; ++x) {
    uint32_t argb;
    memcpy(&argb, row + 4 * x, 4);
    Put(out, argb & 0xFFFFFF, 3);  // blue, green, red: the file's byte order
  }
  out->append(RowSize(width) - 3 * width, '\0');
}

}  // namespace

bool WriteBmp(const char* path, const uint8_t* pixels, int width, int height, int stride) {
  std::string out = Headers(width, height);
  for (int y = height - 1; y >= 0; --y) PutRow(&out, pixels + y * stride, width);
  FILE* file = fopen(path, "wb");
  if (!file) return false;
  bool written = fwrite(out.data(), 1, out.size(), file) == out.size();
  return fclose(file) == 0 && written;
}
