/*
 * The eight entry points over the system's fingerprint service, fprintd: every reader that fprintd
 * serves becomes a unit of the capture program, and a capture is a verification of the calling
 * user's enrolled fingers. README.md describes the behaviour; fd_unit.h the threads and contexts.
 */
#include <gio/gio.h>

#include "fd_units.h"
#include "prompt_holder.h"
#include "velmora/fpx_plugin.h"

int32_t FpxEnumUnits(uint32_t** unitIds, uint32_t* count) {
  int units = FprintdEnumerate();
  uint32_t* ids = g_new(uint32_t, units > 0 ? units : 1);
  for (int i = 0; i < units; ++i) ids[i] = (uint32_t)i + 1;
  *unitIds = ids;
  *count = (uint32_t)units;
  return 0;
}

int32_t FpxGetInfo(uint32_t unitId, UnitInfo* info) {
  FprintdUnit* unit = FprintdFindUnit(unitId);
  if (unit == NULL) return 1;
  info->text1 = g_strdup(unit->m_Name);
  info->text2 = g_strdup_printf("fprintd/%s", FprintdPathLeaf(unit->m_Path));
  info->value1 = unit->m_Swipe;
  info->value2 = unit->m_Stages;
  info->value3 = 0;
  info->value4 = 0;
  return 0;
}

/* Kept for every unit: the program hands the same sink before each connect. */
int32_t FpxSetPromptSink(FpxPromptSink sink, void* data) {
  PromptHolderSet(sink, data);
  return 0;
}

int32_t FpxConnect(uint32_t unitId, int32_t v1, int32_t v2, int32_t v3) {
  (void)v1, (void)v2, (void)v3;
  FprintdUnit* unit = FprintdFindUnit(unitId);
  return unit != NULL ? FprintdUnitConnect(unit) : 1;
}

int32_t FpxDisconnect(uint32_t unitId) {
  FprintdUnit* unit = FprintdFindUnit(unitId);
  return unit != NULL ? FprintdUnitDisconnect(unit) : 1;
}

int32_t FpxCancel(uint32_t unitId) {
  FprintdUnit* unit = FprintdFindUnit(unitId);
  return unit != NULL ? FprintdUnitCancel(unit) : 1;
}

int32_t FpxSensorCaptureSample(uint32_t unitId, int32_t v1, int32_t v2, unsigned char** sample,
                               int32_t* sampleSize, int32_t* reserved) {
  (void)v1, (void)v2;
  FprintdUnit* unit = FprintdFindUnit(unitId);
  int length = unit != NULL ? FprintdUnitCapture(unit) : -1;
  if (length < 0) return 1;
  *sample = (unsigned char*)unit->m_Sample;
  *sampleSize = length;
  if (reserved != NULL) *reserved = 0;
  return 0;
}

int32_t FpxExtractSample(uint32_t unitId, int32_t v1, int32_t v2, int32_t v3, int32_t v4, int32_t v5,
                         int32_t v6, int32_t v7, int32_t v8) {
  (void)unitId, (void)v1, (void)v2, (void)v3, (void)v4, (void)v5, (void)v6, (void)v7, (void)v8;
  return 1; /* the reader compares the finger; there is nothing to process */
}

int32_t FpxFree(void* memory) {
  g_free(memory); /* ids and texts all come from GLib's allocator; NULL is a no-op */
  return 0;
}
