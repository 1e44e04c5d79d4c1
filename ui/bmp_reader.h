// A reader of the plain BMP files that the build draws: uncompressed, 24 or 32 bits per pixel,
// rows from the bottom up or from the top down. It spares the window the toolkit's loader
// machinery (its module list and a loader module) for the one picture it shows.
//
// Thread rules: a plain function; any thread may call it.
#ifndef VELMORA_UI_BMP_READER_H_
#define VELMORA_UI_BMP_READER_H_

#include <stddef.h>
#include <stdint.h>

#include <vector>

// The largest width or height read; larger pictures are left to the toolkit.
inline constexpr int32_t kBmpMaxSide = 8192;

struct BmpPicture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> rgb;  // rows from the top, 3 bytes (red, green, blue) per pixel, no padding
};

// Decodes the `size` bytes of a BMP file. False, with `picture` unchanged, for a file of any
// other kind (compressed, palette, bit fields, another header), one larger than kBmpMaxSide, or
// one whose pixel rows do not all lie within the bytes.
bool DecodeBmp(const uint8_t* data, size_t size, BmpPicture* picture);

#endif  // VELMORA_UI_BMP_READER_H_
