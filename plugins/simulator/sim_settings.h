/*
 * The simulator's settings, read from the environment at each call so that a test can change them
 * between loads. README.md lists the variables.
 *
 * Thread rules: reads the environment only; callers must not change it while a call runs.
 */
#ifndef VELMORA_PLUGINS_SIMULATOR_SIM_SETTINGS_H_
#define VELMORA_PLUGINS_SIMULATOR_SIM_SETTINGS_H_

#include <stddef.h>
#include <stdint.h>

enum SimFailPoint {
  kSimFailEnum = 1,
  kSimFailGetInfo = 2,
  kSimFailConnect = 4,
  kSimFailCapture = 8,
  kSimFailDisconnect = 16
};

/* Fills ids[0..capacity) from VELMORA_SIM_UNITS (default "1"; "" or "none" for none) and gives
 * their number. Tokens that are no unsigned decimal number are left out. */
size_t SimUnitIds(uint32_t* ids, size_t capacity);

/* VELMORA_SIM_DELAY_MS, default 1500; negative or unreadable values give the default. */
long SimDelayMs(void);

/* Non-zero when VELMORA_SIM_FAIL names the entry point `point`. */
int SimFails(enum SimFailPoint point);

/* VELMORA_SIM_SAMPLE, or the default sample text. */
const char* SimSampleText(void);

/* The sample size to report: VELMORA_SIM_SIZE when set (any int32, negative included), else
 * `textLength`. */
int32_t SimReportedSize(int32_t textLength);

/* VELMORA_SIM_PROMPT, or NULL when it is not set: the prompt that a capture sends first. */
const char* SimPromptText(void);

/* Non-zero when VELMORA_SIM_UNINTERRUPTIBLE is "1". */
int SimUninterruptible(void);

#endif /* VELMORA_PLUGINS_SIMULATOR_SIM_SETTINGS_H_ */
