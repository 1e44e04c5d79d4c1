/*
 * Writes a captured image as a binary PGM file (P5, maxval 255, the reader's 8-bit grey pixels
 * row by row, unchanged), mode 0600, under a fresh name "sample-XXXXXX.pgm" in an open folder.
 *
 * Thread rules: any thread; the image must not change while it is written.
 */
#ifndef VELMORA_PLUGINS_FPRINT_FPRINT_PGM_H_
#define VELMORA_PLUGINS_FPRINT_FPRINT_PGM_H_

#include <stddef.h>

#include "fprint_sample_dir.h"

#ifdef __cplusplus
extern "C" {
#endif

/* A PGM file just written: its path and the SHA-256 of its bytes, both to be freed with g_free. */
typedef struct FprintPgm {
  char* m_Path;
  char* m_Sha256; /* 64 lower-case hex digits */
} FprintPgm;

/* Writes `width` x `height` pixels into a new file created in `folder` through its descriptor.
 * 0 and *pgm filled, or -1 after one line on standard error naming the failed call (no file is
 * left behind). */
int FprintWritePgm(const FprintSampleFolder* folder, const unsigned char* pixels, unsigned width,
                   unsigned height, FprintPgm* pgm);

/* Frees the two texts of `pgm`. */
void FprintPgmClear(FprintPgm* pgm);

#ifdef __cplusplus
}
#endif

#endif /* VELMORA_PLUGINS_FPRINT_FPRINT_PGM_H_ */
