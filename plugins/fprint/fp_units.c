/* The unit table (fp_units.h). */
#include "fp_units.h"

#include <stdio.h>

static GMutex g_lock;
static FpContext* g_context; /* created once, never freed: the library is never unloaded */
static GPtrArray* g_units;   /* FprintUnit*, index = id - 1; NULL until the first enumeration */

/* Builds the table from the context's devices; called with the default context acquired. */
static GPtrArray* BuildUnits(void) {
  if (g_context == NULL) g_context = fp_context_new();
  GPtrArray* devices = fp_context_get_devices(g_context);
  GPtrArray* units = g_ptr_array_new();
  for (guint i = 0; devices != NULL && i < devices->len; ++i) {
    FpDevice* device = g_ptr_array_index(devices, i);
    if (fp_device_has_feature(device, FP_DEVICE_FEATURE_CAPTURE))
      g_ptr_array_add(units, FprintUnitNew(device));
  }
  return units;
}

int FprintEnumerate(void) {
  G_GNUC_UNUSED g_autoptr(GMutexLocker) locker = g_mutex_locker_new(&g_lock);
  if (g_units != NULL) return (int)g_units->len;
  GMainContext* global = g_main_context_default();
  if (!g_main_context_acquire(global)) {
    fprintf(stderr,
            "velmora fprint: g_main_context_acquire: the default main context is busy, no enumeration\n");
    return -1;
  }
  g_units = BuildUnits();
  g_main_context_release(global);
  return (int)g_units->len;
}

FprintUnit* FprintFindUnit(uint32_t unitId) {
  G_GNUC_UNUSED g_autoptr(GMutexLocker) locker = g_mutex_locker_new(&g_lock);
  if (g_units == NULL || unitId == 0 || unitId > g_units->len) return NULL;
  return g_ptr_array_index(g_units, unitId - 1);
}
