/* The plug-in's system bus connection (fd_bus.h). */
#include "fd_bus.h"

#include <pthread.h>

static pthread_mutex_t g_Lock = PTHREAD_MUTEX_INITIALIZER;
static GDBusConnection* g_Bus; /* made once, never closed: the library is never unloaded */

static GDBusConnection* Connect(GError** error) {
  g_autofree char* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SYSTEM, NULL, error);
  if (address == NULL) return NULL;
  GDBusConnectionFlags flags =
      G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION;
  return g_dbus_connection_new_for_address_sync(address, flags, NULL, NULL, error);
}

GDBusConnection* FprintdBus(GError** error) {
  pthread_mutex_lock(&g_Lock);
  if (g_Bus == NULL) g_Bus = Connect(error);
  GDBusConnection* bus = g_Bus;
  pthread_mutex_unlock(&g_Lock);
  return bus;
}

static void CallDone(GObject* source, GAsyncResult* result, gpointer slot) {
  (void)source;
  *(GAsyncResult**)slot = g_object_ref(result);
}

/* The call of FprintdCallOn with a timeout of its own. */
static GVariant* CallWaited(GMainContext* context, const char* path, const char* interface,
                            const char* method, GVariant* args, int timeoutMs, GCancellable* cancellable,
                            GError** error) {
  GDBusConnection* bus = FprintdBus(error);
  if (bus == NULL) {
    if (args != NULL) g_variant_unref(g_variant_ref_sink(args));
    return NULL;
  }
  g_autoptr(GAsyncResult) result = NULL;
  g_dbus_connection_call(bus, FPRINTD_NAME, path, interface, method, args, NULL, G_DBUS_CALL_FLAGS_NONE,
                         timeoutMs, cancellable, CallDone, &result);
  while (result == NULL) g_main_context_iteration(context, TRUE);
  return g_dbus_connection_call_finish(bus, result, error);
}

GVariant* FprintdCallOn(GMainContext* context, const char* path, const char* interface, const char* method,
                        GVariant* args, GCancellable* cancellable, GError** error) {
  return CallWaited(context, path, interface, method, args, -1, cancellable, error);
}

void FprintdCallQuietly(GMainContext* context, const char* path, const char* method) {
  GVariant* reply =
      CallWaited(context, path, FPRINTD_DEVICE_INTERFACE, method, NULL, FPRINTD_CALL_TIMEOUT_MS, NULL, NULL);
  if (reply != NULL) g_variant_unref(reply);
}

char* FprintdErrorName(const GError* error) { return g_dbus_error_get_remote_error(error); }
