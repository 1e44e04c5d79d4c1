/* The unit table (fp_units.h). */
#include "fp_units.h"

#include <pthread.h>
#include <stdio.h>

#include "fp_usb_removal.h"

static pthread_mutex_t g_Lock = PTHREAD_MUTEX_INITIALIZER;
static FpContext* g_Context; /* created once, never freed: the library is never unloaded */
static GPtrArray* g_Units;   /* FprintUnit*, index = id - 1; NULL until the first enumeration */

/* Builds the table from the context's devices; called with the default context acquired. */
static GPtrArray* BuildUnits(void) {
  if (g_Context == NULL) g_Context = fp_context_new();
  GPtrArray* devices = fp_context_get_devices(g_Context);
  GPtrArray* units = g_ptr_array_new();
  for (guint i = 0; devices != NULL && i < devices->len; ++i) {
    FpDevice* device = g_ptr_array_index(devices, i);
    if (fp_device_has_feature(device, FP_DEVICE_FEATURE_CAPTURE))
      g_ptr_array_add(units, FprintUnitNew(device));
  }
  FprintTakeOverRemoval(g_Context, units);
  return units;
}

/* Enumerates once, with the default context acquired; -1 when another thread owns it. */
static int EnumerateLocked(void) {
  if (g_Units != NULL) return (int)g_Units->len;
  GMainContext* global = g_main_context_default();
  if (!g_main_context_acquire(global)) {
    fprintf(stderr,
            "velmora fprint: g_main_context_acquire: the default main context is busy, no enumeration\n");
    return -1;
  }
  g_Units = BuildUnits();
  g_main_context_release(global);
  return (int)g_Units->len;
}

int FprintEnumerate(void) {
  pthread_mutex_lock(&g_Lock);
  int units = EnumerateLocked();
  pthread_mutex_unlock(&g_Lock);
  return units;
}

FprintUnit* FprintFindUnit(uint32_t unitId) {
  pthread_mutex_lock(&g_Lock);
  FprintUnit* unit = NULL;
  if (g_Units != NULL && unitId != 0 && unitId <= g_Units->len) unit = g_ptr_array_index(g_Units, unitId - 1);
  pthread_mutex_unlock(&g_Lock);
  return unit;
}
