/* libfprint's asynchronous calls, waited for on the unit's context (fprint_device_calls.h). */
#include "fprint_device_calls.h"

/* One call's result. The call is started while the waiting thread has pushed `context` as its
 * thread-default, so its callback finishes on that context and AwaitResult iterates it alone. */
typedef struct Wait {
  GAsyncResult* m_Result; /* set by the callback, owned */
} Wait;

/* The GAsyncReadyCallback of each call, with a Wait* as its data. */
static void ResultCame(GObject* source, GAsyncResult* result, gpointer wait) {
  (void)source;
  ((Wait*)wait)->m_Result = g_object_ref(result);
}

/* Iterates `context` until the call finished; gives its result, owned by the caller. */
static GAsyncResult* AwaitResult(GMainContext* context, Wait* wait) {
  while (wait->m_Result == NULL) g_main_context_iteration(context, TRUE);
  return g_steal_pointer(&wait->m_Result);
}

gboolean FprintOpen(FpDevice* device, GMainContext* context, GCancellable* cancellable, GError** error) {
  Wait wait = {NULL};
  fp_device_open(device, cancellable, ResultCame, &wait);
  g_autoptr(GAsyncResult) result = AwaitResult(context, &wait);
  return fp_device_open_finish(device, result, error);
}

FpImage* FprintCaptureImage(FpDevice* device, GMainContext* context, GCancellable* cancellable,
                            GError** error) {
  Wait wait = {NULL};
  fp_device_capture(device, TRUE, cancellable, ResultCame, &wait);
  g_autoptr(GAsyncResult) result = AwaitResult(context, &wait);
  return fp_device_capture_finish(device, result, error);
}

gboolean FprintClose(FpDevice* device, GMainContext* context, GError** error) {
  Wait wait = {NULL};
  fp_device_close(device, NULL, ResultCame, &wait);
  g_autoptr(GAsyncResult) result = AwaitResult(context, &wait);
  return fp_device_close_finish(device, result, error);
}
