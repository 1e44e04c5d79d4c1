/*
 * The plug-in's settings, read from the environment at each call; README.md lists them with their
 * defaults. The default run needs none.
 *
 * Thread rules: reads the environment only; callers must not change it while a call runs.
 */
#ifndef VELMORA_PLUGINS_FPRINT_FPRINT_SETTINGS_H_
#define VELMORA_PLUGINS_FPRINT_FPRINT_SETTINGS_H_

/* VELMORA_FPRINT_RETRIES: how many retries one capture accepts before it fails. Unset, empty or not
 * a non-negative decimal number: no cap (G_MAXINT). */
int FprintRetryCap(void);

/* VELMORA_FPRINT_SAMPLE_DIR: the folder for the images, or NULL when unset or empty. */
const char* FprintSampleDirSetting(void);

#endif /* VELMORA_PLUGINS_FPRINT_FPRINT_SETTINGS_H_ */
