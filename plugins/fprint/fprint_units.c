/* The unit table (fprint_units.h). */
#include "fprint_units.h"

#include <pthread.h>
#include <stdio.h>

#include "fprint_device_text.h"
#include "fprint_usb_removal.h"

ReaderUnitTable g_FprintUnits = READER_UNIT_TABLE_INIT;
static FpContext* g_Context; /* created once, never freed: the library is never unloaded */
static GPtrArray* g_NoImage; /* char*, the titles of the readers without images; set with the units */

/* Builds the table from the context's devices, and the list of the readers left out; called with
 * the default context acquired. */
static GPtrArray* BuildUnits(void) {
  if (g_Context == NULL) g_Context = fp_context_new();
  GPtrArray* devices = fp_context_get_devices(g_Context);
  GPtrArray* units = g_ptr_array_new();
  g_NoImage = g_ptr_array_new();
  for (guint i = 0; devices != NULL && i < devices->len; ++i) {
    FpDevice* device = g_ptr_array_index(devices, i);
    if (fp_device_has_feature(device, FP_DEVICE_FEATURE_CAPTURE))
      g_ptr_array_add(units, FprintUnitNew(device, units->len + 1));
    else
      g_ptr_array_add(g_NoImage, FprintDeviceTitle(device));
  }
  FprintTakeOverRemoval(g_Context, units);
  return units;
}

/* Names each reader that is no unit, at every enumeration: each catalogue entry of the plug-in
 * gets its lines beside it. */
static void SayNoImage(void) {
  for (guint i = 0; i < g_NoImage->len; ++i)
    fprintf(
        stderr,
        "velmora fprint: %s compares prints inside the reader and gives no image; use the fprintd entry\n",
        (const char*)g_ptr_array_index(g_NoImage, i));
}

/* Builds the table with the default context acquired; FALSE when another thread owns it. */
static gboolean BuildOnDefaultContext(void) {
  GMainContext* global = g_main_context_default();
  if (!g_main_context_acquire(global)) {
    fprintf(stderr,
            "velmora fprint: g_main_context_acquire: the default main context is busy, no enumeration\n");
    return FALSE;
  }
  g_FprintUnits.m_Units = BuildUnits();
  g_main_context_release(global);
  return TRUE;
}

/* Enumerates once, and names the readers left out each time; -1 when the table cannot be built. */
static int EnumerateLocked(void) {
  if (g_FprintUnits.m_Units == NULL && !BuildOnDefaultContext()) return -1;
  SayNoImage();
  return (int)g_FprintUnits.m_Units->len;
}

int FprintEnumerate(void) {
  pthread_mutex_lock(&g_FprintUnits.m_Lock);
  int units = EnumerateLocked();
  pthread_mutex_unlock(&g_FprintUnits.m_Lock);
  return units;
}
