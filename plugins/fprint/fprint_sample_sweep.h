/*
 * The plug-in's own clean-up of fingerprint images: the parent removes a sample's file once it has
 * read it, and whatever a parent left behind goes at the plug-in's next capture, once older than
 * kFprintSampleLifetimeSeconds. Only regular files of the caller's named as the plug-in names its
 * samples ("sample-XXXXXX.pgm") are removed; nothing else in the folder is touched. The same goes
 * for the fresh folders that the plug-in makes beside a taken velmora-<uid> (fprint_sample_dir.h), a new
 * one at each capture: the caller's own go once they hold nothing but such old samples.
 *
 * Thread rules: any thread; the folder stays open while the call runs.
 */
#ifndef VELMORA_PLUGINS_FPRINT_FPRINT_SAMPLE_SWEEP_H_
#define VELMORA_PLUGINS_FPRINT_FPRINT_SAMPLE_SWEEP_H_

#include <time.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Ten minutes: far longer than a parent takes to read a sample, far shorter than an image of a
 * finger should lie around. */
enum { kFprintSampleLifetimeSeconds = 10 * 60 };

/* Removes the samples in the open folder `dir` (named `path` in lines on standard error) whose
 * last change is more than kFprintSampleLifetimeSeconds before `now`. A failed removal gives one
 * line on standard error and the sweep goes on. */
void FprintSweepSamples(int dir, const char* path, time_t now);

/* Removes the caller's own fresh sample folders (velmora-<uid>-XXXXXX, real folders) in the open
 * shared folder `shared` (named `path`) whose last change is more than kFprintSampleLifetimeSeconds
 * before `now`, once FprintSweepSamples has emptied them; a folder that holds anything else stays.
 * A folder in use is never that old: creating it, or a sample in it, changed it. A failure gives
 * one line on standard error and the sweep goes on. */
void FprintSweepFreshFolders(int shared, const char* path, time_t now);

#ifdef __cplusplus
}
#endif

#endif /* VELMORA_PLUGINS_FPRINT_FPRINT_SAMPLE_SWEEP_H_ */
