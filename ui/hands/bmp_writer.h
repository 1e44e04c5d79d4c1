// A small writer of uncompressed 24-bit BMP files, which the toolkit's picture loader reads.
//
// Thread rules: a plain function; any thread may call it.
#ifndef VELMORA_UI_HANDS_BMP_WRITER_H_
#define VELMORA_UI_HANDS_BMP_WRITER_H_

#include <stdint.h>

// Writes `width` x `height` pixels to `path`. `pixels` holds rows from the top, `stride` bytes
// apart, each pixel a native-endian 32-bit 0xAARRGGBB word (the layout of a cairo image surface);
// alpha is dropped. False, with errno set, when the file cannot be written.
bool WriteBmp(const char* path, const uint8_t* pixels, int width, int height, int stride);

#endif  // VELMORA_UI_HANDS_BMP_WRITER_H_
