/*
 * The simulated reader: a complete plug-in built against velmora/fpx_plugin.h alone. It gives the
 * units that VELMORA_SIM_UNITS lists, waits VELMORA_SIM_DELAY_MS for a "finger" and returns a
 * fixed sample; README.md describes every variable. Vendors may start from this file.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "sim_settings.h"
#include "sim_state.h"
#include "sim_trace.h"
#include "velmora/fpx_plugin.h"

enum { kMaxUnits = 64, kMaxSamplePadding = 4096 };

__attribute__((constructor)) static void SimLoaded(void) { SimTrace("load"); }

__attribute__((destructor)) static void SimUnloaded(void) {
  SimTrace("unload");
  SimReleaseAll();
}

/* A heap copy of `text` that FpxFree will recognise under `label`; NULL when out of memory. */
static char* HandOutText(const char* text, const char* label) {
  char* copy = strdup(text);
  if (copy != NULL && SimHandOut(copy, label) != 0) {
    free(copy);
    copy = NULL;
  }
  return copy;
}

int32_t FpxEnumUnits(uint32_t** unitIds, uint32_t* count) {
  SimTrace("FpxEnumUnits");
  if (SimFails(kSimFailEnum)) return 1;
  uint32_t* ids = malloc(kMaxUnits * sizeof *ids);
  if (ids == NULL || SimHandOut(ids, "ids") != 0) {
    free(ids);
    return 1;
  }
  *count = (uint32_t)SimUnitIds(ids, kMaxUnits);
  *unitIds = ids;
  return 0;
}

/* Non-zero when FpxEnumUnits lists `unitId`. */
static int ListsUnit(uint32_t unitId) {
  uint32_t ids[kMaxUnits];
  size_t count = SimUnitIds(ids, kMaxUnits);
  for (size_t i = 0; i < count; ++i)
    if (ids[i] == unitId) return 1;
  return 0;
}

int32_t FpxGetInfo(uint32_t unitId, UnitInfo* info) {
  SimTrace("FpxGetInfo %u", unitId);
  if (SimFails(kSimFailGetInfo) || !ListsUnit(unitId)) return 1;
  char label[64];
  char serial[32];
  snprintf(serial, sizeof serial, "SIM-%04u", unitId);
  snprintf(label, sizeof label, "text1 %u", unitId);
  info->text1 = HandOutText("Velmora simulated reader", label);
  snprintf(label, sizeof label, "text2 %u", unitId);
  info->text2 = HandOutText(serial, label);
  info->value1 = 1;   /* interface version of the simulated device */
  info->value2 = 500; /* resolution, dots per inch */
  info->value3 = 256; /* image width */
  info->value4 = 360; /* image height */
  return 0;
}

int32_t FpxConnect(uint32_t unitId, int32_t v1, int32_t v2, int32_t v3) {
  SimTrace("FpxConnect %u %d %d %d", unitId, v1, v2, v3);
  if (SimFails(kSimFailConnect)) return 1;
  SimSetConnected(unitId, 1);
  return 0;
}

int32_t FpxDisconnect(uint32_t unitId) {
  SimTrace("FpxDisconnect %u", unitId);
  if (SimFails(kSimFailDisconnect)) return 1;
  SimSetConnected(unitId, 0);
  SimEndCaptures(unitId);
  return 0;
}

int32_t FpxCancel(uint32_t unitId) {
  SimTrace("FpxCancel %u", unitId);
  SimEndCaptures(unitId);
  return 0;
}

/* Sleeps the whole delay, whatever other threads ask. */
static void SleepMs(long delayMs) {
  struct timespec left = {delayMs / 1000, (delayMs % 1000) * 1000000L};
  while (nanosleep(&left, &left) != 0) {
  }
}

/* A sample padded with zero bytes up to the reported size (at most kMaxSamplePadding), so that a
 * reader trusting the size stays inside the buffer. */
static unsigned char* MakeSample(const char* text, int32_t reported) {
  size_t length = strlen(text);
  size_t size = length;
  if (reported > 0 && (size_t)reported > size)
    size = reported < kMaxSamplePadding ? (size_t)reported : kMaxSamplePadding;
  unsigned char* sample = calloc(size + 1, 1);
  if (sample == NULL) return NULL;
  memcpy(sample, text, length);
  if (SimKeepSample(sample) != 0) {
    free(sample);
    return NULL;
  }
  return sample;
}

/* The program's prompt sink; both set before FpxConnect, read by the capturing thread. */
static FpxPromptSink g_PromptSink;
static void* g_PromptData;

int32_t FpxSetPromptSink(FpxPromptSink sink, void* data) {
  SimTrace("FpxSetPromptSink");
  __atomic_store_n(&g_PromptData, data, __ATOMIC_RELAXED);
  __atomic_store_n(&g_PromptSink, sink, __ATOMIC_RELEASE);
  return 0;
}

/* Sends VELMORA_SIM_PROMPT, when set, as a reader asks for the finger: the unit is connected. */
static void SendPrompt(uint32_t unitId) {
  const char* text = SimPromptText();
  FpxPromptSink sink = __atomic_load_n(&g_PromptSink, __ATOMIC_ACQUIRE);
  if (text == NULL || sink == NULL) return;
  SimTrace("prompt %u", unitId);
  sink(unitId, text, __atomic_load_n(&g_PromptData, __ATOMIC_RELAXED));
}

int32_t FpxSensorCaptureSample(uint32_t unitId, int32_t v1, int32_t v2, unsigned char** sample,
                               int32_t* sampleSize, int32_t* reserved) {
  SimTrace("FpxSensorCaptureSample %u %d %d", unitId, v1, v2);
  long delay = SimDelayMs();
  SendPrompt(unitId);
  if (SimUninterruptible()) {
    SleepMs(delay);
  } else if (SimWaitForFinger(unitId, delay) != 0) {
    return 2;
  }
  const char* text = SimSampleText();
  unsigned char* bytes = MakeSample(text, SimReportedSize((int32_t)strlen(text)));
  if (bytes == NULL) return 3;
  /* Even a failing read leaves its output behind, as careless vendor plug-ins do. */
  *sample = bytes;
  *sampleSize = SimReportedSize((int32_t)strlen(text));
  if (reserved != NULL) *reserved = 0;
  return SimFails(kSimFailCapture) ? 1 : 0;
}

int32_t FpxExtractSample(uint32_t unitId, int32_t v1, int32_t v2, int32_t v3, int32_t v4, int32_t v5,
                         int32_t v6, int32_t v7, int32_t v8) {
  SimTrace("FpxExtractSample %u %d %d %d %d %d %d %d %d", unitId, v1, v2, v3, v4, v5, v6, v7, v8);
  return 0;
}

int32_t FpxFree(void* memory) {
  if (memory == NULL) {
    SimTrace("FpxFree null");
    return 0;
  }
  char label[64];
  if (SimTakeBack(memory, label) != 0) {
    SimTrace("FpxFree unknown");
    return 1;
  }
  SimTrace("FpxFree %s", label);
  return 0;
}
