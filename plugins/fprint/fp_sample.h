/*
 * Turns a captured image into the sample that the program receives: the image goes into a PGM
 * file in the private sample folder, and the sample is one NUL-terminated text of at most 255
 * bytes:
 *   fpx1;image=<path>;width=<W>;height=<H>;minutiae=<n>;sha256=<hex>;device=<driver>/<device id>
 *
 * Thread rules: any thread; `out` belongs to the caller.
 */
#ifndef VELMORA_PLUGINS_FPRINT_FP_SAMPLE_H_
#define VELMORA_PLUGINS_FPRINT_FP_SAMPLE_H_

#include <fprint.h>

enum { kFprintSampleCapacity = 256 };

/* Writes `image` of `device` and puts the sample text into `out`. Its length, or -1 after one line
 * on standard error (a text that does not fit is a failure, never cut; its file is removed). */
int FprintMakeSample(FpDevice* device, FpImage* image, char out[kFprintSampleCapacity]);

#endif /* VELMORA_PLUGINS_FPRINT_FP_SAMPLE_H_ */
