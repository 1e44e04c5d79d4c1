/*
 * The plug-in's connection to the system bus and fprintd's names on it, and one method call
 * waited for on a main context of the caller's.
 *
 * The connection is the plug-in's own, not GIO's shared one: a shared connection ends the whole
 * process when the bus goes away, and the program's other code never sees this one.
 *
 * Thread rules: FprintdBus from any thread (it is made once, under a lock); FprintdCallOn on the
 * thread that has pushed `context` as its thread-default.
 */
#ifndef VELMORA_PLUGINS_FPRINTD_FD_BUS_H_
#define VELMORA_PLUGINS_FPRINTD_FD_BUS_H_

#include <gio/gio.h>

#define FPRINTD_NAME "net.reactivated.Fprint"
#define FPRINTD_MANAGER_PATH "/net/reactivated/Fprint/Manager"
#define FPRINTD_MANAGER_INTERFACE "net.reactivated.Fprint.Manager"
#define FPRINTD_DEVICE_INTERFACE "net.reactivated.Fprint.Device"

/* How long a call that needs no person may take (VerifyStop, Release, the enumeration's calls). */
#define FPRINTD_CALL_TIMEOUT_MS 5000

/* The plug-in's system bus connection (borrowed, lives as long as the process), or NULL with
 * *error set when there is no system bus. A failure is not remembered: the next call tries again. */
GDBusConnection* FprintdBus(GError** error);

/* Calls `method` of fprintd's `interface` on `path` and iterates `context` until the reply came or
 * `cancellable` was cancelled (the caller's context must be woken for that, see fd_unit.c). The
 * reply (owned), or NULL with *error set. */
GVariant* FprintdCallOn(GMainContext* context, const char* path, const char* interface, const char* method,
                        GVariant* args, GCancellable* cancellable, GError** error);

/* Calls the device's `method` without arguments as FprintdCallOn does, with a timeout of
 * FPRINTD_CALL_TIMEOUT_MS and no cancellable, and drops reply and error: a stop or a release on the
 * way out, which nothing waits on. */
void FprintdCallQuietly(GMainContext* context, const char* path, const char* method);

/* The D-Bus error name of `error`, or NULL when it did not come from the bus (owned). */
char* FprintdErrorName(const GError* error);

#endif /* VELMORA_PLUGINS_FPRINTD_FD_BUS_H_ */
