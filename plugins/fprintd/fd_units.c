/* The unit table (fd_units.h). */
#include "fd_units.h"

#include <stdio.h>
#include <string.h>

#include "fd_bus.h"

ReaderUnitTable g_FprintdUnits = READER_UNIT_TABLE_INIT;

static GVariant* CallSync(GDBusConnection* bus, const char* path, const char* interface, const char* method,
                          GVariant* args, GError** error) {
  return g_dbus_connection_call_sync(bus, FPRINTD_NAME, path, interface, method, args, NULL,
                                     G_DBUS_CALL_FLAGS_NONE, FPRINTD_CALL_TIMEOUT_MS, NULL, error);
}

/* A unit for the device at `path` from its properties; NULL after one line on stderr. */
static FprintdUnit* DescribeDevice(GDBusConnection* bus, const char* path) {
  g_autoptr(GError) error = NULL;
  g_autoptr(GVariant) reply = CallSync(bus, path, "org.freedesktop.DBus.Properties", "GetAll",
                                       g_variant_new("(s)", FPRINTD_DEVICE_INTERFACE), &error);
  if (reply == NULL) {
    fprintf(stderr, "velmora fprintd: reading the properties of %s: %s\n", path, error->message);
    return NULL;
  }
  g_autoptr(GVariant) properties = g_variant_get_child_value(reply, 0);
  const char* name = path;
  const char* scanType = "press";
  gint32 stages = 0;
  g_variant_lookup(properties, "name", "&s", &name);
  g_variant_lookup(properties, "scan-type", "&s", &scanType);
  g_variant_lookup(properties, "num-enroll-stages", "i", &stages);
  return FprintdUnitNew(path, name, strcmp(scanType, "swipe") == 0 ? 1 : 0, stages);
}

/* The devices' object paths (owned), or NULL after one line on stderr. */
static GVariant* ListDevices(void) {
  g_autoptr(GError) error = NULL;
  GDBusConnection* bus = FprintdBus(&error);
  if (bus == NULL) {
    fprintf(stderr, "velmora fprintd: no system bus (%s); no units\n", error->message);
    return NULL;
  }
  GVariant* reply =
      CallSync(bus, FPRINTD_MANAGER_PATH, FPRINTD_MANAGER_INTERFACE, "GetDevices", NULL, &error);
  if (reply != NULL) return reply;
  g_autofree char* name = g_dbus_error_get_remote_error(error);
  g_dbus_error_strip_remote_error(error);
  fprintf(stderr, "velmora fprintd: %s; no units\n",
          name != NULL && strcmp(name, "org.freedesktop.DBus.Error.ServiceUnknown") == 0
              ? "the fingerprint service fprintd is not installed or not running"
              : error->message);
  return NULL;
}

static GPtrArray* BuildUnits(void) {
  GPtrArray* units = g_ptr_array_new();
  g_autoptr(GVariant) reply = ListDevices();
  if (reply == NULL) return units;
  g_autoptr(GVariantIter) paths = NULL;
  g_variant_get(reply, "(ao)", &paths);
  const char* path = NULL;
  while (g_variant_iter_next(paths, "&o", &path)) {
    FprintdUnit* unit = DescribeDevice(FprintdBus(NULL), path);
    if (unit == NULL) continue;
    unit->m_Id = units->len + 1;
    g_ptr_array_add(units, unit);
  }
  if (units->len == 0) fprintf(stderr, "velmora fprintd: fprintd lists no fingerprint reader; no units\n");
  return units;
}

int FprintdEnumerate(void) {
  pthread_mutex_lock(&g_FprintdUnits.m_Lock);
  if (g_FprintdUnits.m_Units == NULL) g_FprintdUnits.m_Units = BuildUnits();
  int count = (int)g_FprintdUnits.m_Units->len;
  pthread_mutex_unlock(&g_FprintdUnits.m_Lock);
  return count;
}
