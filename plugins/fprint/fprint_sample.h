/*
 * Turns a captured image into the sample that the program receives: the image goes into a PGM
 * file in the private sample folder, and the sample is one NUL-terminated text of at most 255
 * bytes:
 *   fpx1;image=<path>;width=<W>;height=<H>;minutiae=<n>;sha256=<hex>;device=<driver>/<device id>
 * Each new sample first removes the plug-in's own samples in that folder that are older than
 * kFprintSampleLifetimeSeconds (fprint_sample_sweep.h).
 *
 * Thread rules: any thread; the FprintSample belongs to the caller.
 */
#ifndef VELMORA_PLUGINS_FPRINT_FPRINT_SAMPLE_H_
#define VELMORA_PLUGINS_FPRINT_FPRINT_SAMPLE_H_

#include <fprint.h>

enum { kFprintSampleCapacity = 256 };

typedef struct FprintSample {
  char m_Text[kFprintSampleCapacity];
  char* m_Path; /* the PGM file's absolute path, owned; NULL when none was written */
} FprintSample;

/* Writes `image` of `device` into a new file and its text into `sample`. The text's length, or
 * -1 after one line on standard error (a text that does not fit is a failure, never cut; its file
 * is removed). */
int FprintMakeSample(FpDevice* device, FpImage* image, FprintSample* sample);

/* Removes the sample's file: a sample that nobody will receive. */
void FprintSampleDiscard(FprintSample* sample);

/* Frees the path; the file stays. */
void FprintSampleClear(FprintSample* sample);

#endif /* VELMORA_PLUGINS_FPRINT_FPRINT_SAMPLE_H_ */
