// A reader of the plain BMP files that the build draws: uncompressed, 24 or 32 bits per pixel,
// rows from the bottom up or from the top down. It spares the window the toolkit's loader
// machinery (its module list and a loader module) for the one picture it shows.
//
// Thread rules: a plain function; any thread may call it.
#ifndef VELMORA_UI_BMP_READER_H_
#define VELMORA_UI_BMP_READER_H_

#include <stddef.h>
#include <stdint.h>

// The largest width or height read; larger pictures are left to the toolkit.
inline constexpr int32_t kBmpMaxSide = 8192;

// The picture's width and height, when `data` (`size` bytes) is a BMP of the plain kind: false for
// a file of any other kind (compressed, palette, bit fields, another header), one larger than
// kBmpMaxSide, or one whose pixel rows do not all lie within the bytes.
bool BmpSize(const uint8_t* data, size_t size, int32_t* width, int32_t* height);

// Decodes the picture into `rgb`: rows from the top, `stride` bytes apart (at least 3 x width),
// 3 bytes (red, green, blue) per pixel; `rgb` holds stride x height bytes. False, with nothing
// written, where BmpSize is false.
bool DecodeBmp(const uint8_t* data, size_t size, uint8_t* rgb, size_t stride);

#endif  // VELMORA_UI_BMP_READER_H_
