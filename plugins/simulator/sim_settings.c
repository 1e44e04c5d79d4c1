#include "sim_settings.h"

#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>

static const char kDefaultSample[] = "VelmoraSimulatedFingerprint-0001";

/* Parses a whole decimal number in [min, max]; 0 when `text` is one. */
static int ParseNumber(const char* text, long long min, long long max, long long* out) {
  char* end = NULL;
  errno = 0;
  long long value = strtoll(text, &end, 10);
  if (end == text || *end != '\0' || errno != 0 || value < min || value > max) return -1;
  *out = value;
  return 0;
}

size_t SimUnitIds(uint32_t* ids, size_t capacity) {
  const char* units = getenv("VELMORA_SIM_UNITS");
  if (units == NULL) units = "1";
  if (strcmp(units, "none") == 0) return 0;
  char copy[1024];
  strncpy(copy, units, sizeof copy - 1);
  copy[sizeof copy - 1] = '\0';
  size_t count = 0;
  char* rest = NULL;
  for (char* token = strtok_r(copy, ",", &rest); token != NULL && count < capacity;
       token = strtok_r(NULL, ",", &rest)) {
    long long id = 0;
    if (ParseNumber(token, 0, UINT32_MAX, &id) == 0) ids[count++] = (uint32_t)id;
  }
  return count;
}

long SimDelayMs(void) {
  const char* text = getenv("VELMORA_SIM_DELAY_MS");
  long long delay = 1500;
  if (text != NULL && ParseNumber(text, 0, LONG_MAX, &delay) != 0) delay = 1500;
  return (long)delay;
}

int SimFails(enum SimFailPoint point) {
  static const char* const kNames[] = {"enum", "getinfo", "connect", "capture", "disconnect"};
  const char* list = getenv("VELMORA_SIM_FAIL");
  if (list == NULL) return 0;
  char copy[256];
  strncpy(copy, list, sizeof copy - 1);
  copy[sizeof copy - 1] = '\0';
  char* rest = NULL;
  for (char* token = strtok_r(copy, ",", &rest); token != NULL; token = strtok_r(NULL, ",", &rest)) {
    for (int bit = 0; bit < 5; ++bit) {
      if ((point & (1 << bit)) && strcmp(token, kNames[bit]) == 0) return 1;
    }
  }
  return 0;
}

const char* SimSampleText(void) {
  const char* text = getenv("VELMORA_SIM_SAMPLE");
  return text != NULL ? text : kDefaultSample;
}

int32_t SimReportedSize(int32_t textLength) {
  const char* text = getenv("VELMORA_SIM_SIZE");
  long long size = 0;
  if (text == NULL || ParseNumber(text, INT32_MIN, INT32_MAX, &size) != 0) return textLength;
  return (int32_t)size;
}

int SimUninterruptible(void) {
  const char* text = getenv("VELMORA_SIM_UNINTERRUPTIBLE");
  return text != NULL && strcmp(text, "1") == 0;
}

const char* SimPromptText(void) { return getenv("VELMORA_SIM_PROMPT"); }
