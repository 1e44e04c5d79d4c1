/* The entry points over a reader backend (reader_backend.h), the same for every GLib reader. */
#include "prompt_holder.h"
#include "reader_backend.h"
#include "velmora/fpx_plugin.h"

ReaderUnit* ReaderTableFind(ReaderUnitTable* table, uint32_t unitId) {
  pthread_mutex_lock(&table->m_Lock);
  ReaderUnit* unit = NULL;
  GPtrArray* units = table->m_Units;
  if (units != NULL && unitId != 0 && unitId <= units->len) unit = g_ptr_array_index(units, unitId - 1);
  pthread_mutex_unlock(&table->m_Lock);
  return unit;
}

void ReaderSetInfo(UnitInfo* info, char* name, char* label, int32_t swipe, int32_t stages, int32_t storage) {
  info->text1 = name;
  info->text2 = label;
  info->value1 = swipe;
  info->value2 = stages;
  info->value3 = storage;
  info->value4 = 0;
}

static ReaderUnit* Find(uint32_t unitId) { return ReaderTableFind(g_ReaderBackend.m_Table, unitId); }

int32_t FpxEnumUnits(uint32_t** unitIds, uint32_t* count) {
  int units = g_ReaderBackend.m_Enumerate();
  if (units < 0) return 1;
  uint32_t* ids = g_new(uint32_t, units > 0 ? units : 1);
  for (int i = 0; i < units; ++i) ids[i] = (uint32_t)i + 1;
  *unitIds = ids;
  *count = (uint32_t)units;
  return 0;
}

int32_t FpxGetInfo(uint32_t unitId, UnitInfo* info) {
  ReaderUnit* unit = Find(unitId);
  return unit != NULL ? g_ReaderBackend.m_Describe(unit, info) : 1;
}

/* Kept for every unit: the program hands the same sink before each connect. */
int32_t FpxSetPromptSink(FpxPromptSink sink, void* data) {
  PromptHolderSet(sink, data);
  return 0;
}

int32_t FpxConnect(uint32_t unitId, int32_t v1, int32_t v2, int32_t v3) {
  (void)v1, (void)v2, (void)v3;
  ReaderUnit* unit = Find(unitId);
  return unit != NULL ? g_ReaderBackend.m_Connect(unit) : 1;
}

int32_t FpxDisconnect(uint32_t unitId) {
  ReaderUnit* unit = Find(unitId);
  return unit != NULL ? g_ReaderBackend.m_Disconnect(unit) : 1;
}

int32_t FpxCancel(uint32_t unitId) {
  ReaderUnit* unit = Find(unitId);
  return unit != NULL ? g_ReaderBackend.m_Cancel(unit) : 1;
}

int32_t FpxSensorCaptureSample(uint32_t unitId, int32_t v1, int32_t v2, unsigned char** sample,
                               int32_t* sampleSize, int32_t* reserved) {
  (void)v1, (void)v2;
  ReaderUnit* unit = Find(unitId);
  int length = unit != NULL ? g_ReaderBackend.m_Capture(unit) : -1;
  if (length < 0) return 1;
  *sample = (unsigned char*)g_ReaderBackend.m_Sample(unit);
  *sampleSize = length;
  if (reserved != NULL) *reserved = 0;
  return 0;
}

int32_t FpxExtractSample(uint32_t unitId, int32_t v1, int32_t v2, int32_t v3, int32_t v4, int32_t v5,
                         int32_t v6, int32_t v7, int32_t v8) {
  (void)unitId, (void)v1, (void)v2, (void)v3, (void)v4, (void)v5, (void)v6, (void)v7, (void)v8;
  return 1; /* the sample is the reader's finished result; there is nothing to process */
}

int32_t FpxFree(void* memory) {
  g_free(memory); /* ids and texts all come from GLib's allocator; NULL is a no-op */
  return 0;
}
