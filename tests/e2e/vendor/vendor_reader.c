/*
 * A reader plug-in as a vendor writes it: one C99 file, built against the installed header alone
 * (pkg-config velmora-fpx). It reports one unit, 42, whose capture returns a fixed sample at once.
 */
#include <stdlib.h>
#include <string.h>
#include <velmora/fpx_plugin.h>

enum { kUnitId = 42 };

/* The sample stays valid while the library is loaded, as the program expects. */
static unsigned char g_Sample[] = "VENDOR-SAMPLE-42";

/* A heap copy that the program hands back to FpxFree; NULL when out of memory. */
static char* CopyText(const char* text) {
  size_t size = strlen(text) + 1;
  char* copy = malloc(size);
  if (copy != NULL) memcpy(copy, text, size);
  return copy;
}

int32_t FpxEnumUnits(uint32_t** unitIds, uint32_t* count) {
  uint32_t* ids = malloc(sizeof *ids);
  if (ids == NULL) return 1;
  ids[0] = kUnitId;
  *unitIds = ids;
  *count = 1;
  return 0;
}

int32_t FpxGetInfo(uint32_t unitId, UnitInfo* info) {
  if (unitId != kUnitId) return 1;
  info->text1 = CopyText("Vendor test reader");
  info->text2 = CopyText("VND-0042");
  info->value1 = 7;
  info->value2 = 8;
  info->value3 = 9;
  info->value4 = 10;
  return 0;
}

int32_t FpxConnect(uint32_t unitId, int32_t v1, int32_t v2, int32_t v3) {
  (void)v1;
  (void)v2;
  (void)v3;
  return unitId == kUnitId ? 0 : 1;
}

int32_t FpxDisconnect(uint32_t unitId) { return unitId == kUnitId ? 0 : 1; }

int32_t FpxCancel(uint32_t unitId) { return unitId == kUnitId ? 0 : 1; }

int32_t FpxSensorCaptureSample(uint32_t unitId, int32_t v1, int32_t v2, unsigned char** sampleOut,
                               int32_t* sampleSize, int32_t* reserved) {
  (void)v1;
  (void)v2;
  (void)reserved;
  if (unitId != kUnitId) return 1;
  *sampleOut = g_Sample;
  *sampleSize = (int32_t)strlen((const char*)g_Sample);
  return 0;
}

int32_t FpxExtractSample(uint32_t unitId, int32_t v1, int32_t v2, int32_t v3, int32_t v4, int32_t v5,
                         int32_t v6, int32_t v7, int32_t v8) {
  (void)unitId;
  (void)v1;
  (void)v2;
  (void)v3;
  (void)v4;
  (void)v5;
  (void)v6;
  (void)v7;
  (void)v8;
  return 1;
}

int32_t FpxFree(void* memory) {
  free(memory);
  return 0;
}
