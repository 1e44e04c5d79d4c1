/*
 * The eight entry points over libfprint: every image reader that libfprint supports becomes a
 * unit of the capture program. README.md describes the behaviour and the settings; fprint_unit.h the
 * threads and contexts.
 */
#include <fprint.h>
#include <stdio.h>

#include "fprint_device_text.h"
#include "fprint_units.h"
#include "prompt_holder.h"
#include "velmora/fpx_plugin.h"

int32_t FpxEnumUnits(uint32_t** unitIds, uint32_t* count) {
  int units = FprintEnumerate();
  if (units < 0) return 1;
  uint32_t* ids = g_new(uint32_t, units > 0 ? units : 1);
  for (int i = 0; i < units; ++i) ids[i] = (uint32_t)i + 1;
  *unitIds = ids;
  *count = (uint32_t)units;
  return 0;
}

int32_t FpxGetInfo(uint32_t unitId, UnitInfo* info) {
  FprintUnit* unit = FprintFindUnit(unitId);
  if (unit == NULL) return 1;
  FpDevice* device = unit->m_Device;
  info->text1 = g_strdup(fp_device_get_name(device));
  info->text2 = FprintDeviceLabel(device);
  info->value1 = fp_device_get_scan_type(device) == FP_SCAN_TYPE_SWIPE ? 1 : 0;
  info->value2 = fp_device_get_nr_enroll_stages(device);
  info->value3 = fp_device_has_feature(device, FP_DEVICE_FEATURE_STORAGE) ? 1 : 0;
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
  FprintUnit* unit = FprintFindUnit(unitId);
  return unit != NULL ? FprintUnitConnect(unit) : 1;
}

int32_t FpxDisconnect(uint32_t unitId) {
  FprintUnit* unit = FprintFindUnit(unitId);
  return unit != NULL ? FprintUnitDisconnect(unit) : 1;
}

int32_t FpxCancel(uint32_t unitId) {
  FprintUnit* unit = FprintFindUnit(unitId);
  return unit != NULL ? FprintUnitCancel(unit) : 1;
}

int32_t FpxSensorCaptureSample(uint32_t unitId, int32_t v1, int32_t v2, unsigned char** sample,
                               int32_t* sampleSize, int32_t* reserved) {
  (void)v1, (void)v2;
  FprintUnit* unit = FprintFindUnit(unitId);
  int length = unit != NULL ? FprintUnitCapture(unit) : -1;
  if (length < 0) return 1;
  *sample = (unsigned char*)unit->m_Sample;
  *sampleSize = length;
  if (reserved != NULL) *reserved = 0;
  return 0;
}

int32_t FpxExtractSample(uint32_t unitId, int32_t v1, int32_t v2, int32_t v3, int32_t v4, int32_t v5,
                         int32_t v6, int32_t v7, int32_t v8) {
  (void)unitId, (void)v1, (void)v2, (void)v3, (void)v4, (void)v5, (void)v6, (void)v7, (void)v8;
  return 1; /* the plug-in hands out images; it does no processing of its own */
}

int32_t FpxFree(void* memory) {
  g_free(memory); /* ids and texts all come from GLib's allocator; NULL is a no-op */
  return 0;
}
