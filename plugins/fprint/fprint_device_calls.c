/* libfprint's asynchronous calls, waited for on the unit's context (fprint_device_calls.h). */
#include "fprint_device_calls.h"

#include "fprint_wait.h"

gboolean FprintOpen(FpDevice* device, GMainContext* context, GCancellable* cancellable, GError** error) {
  FprintWait wait = {NULL};
  fp_device_open(device, cancellable, FprintWaitDone, &wait);
  g_autoptr(GAsyncResult) result = FprintWaitRun(context, &wait);
  return fp_device_open_finish(device, result, error);
}

FpImage* FprintCaptureImage(FpDevice* device, GMainContext* context, GCancellable* cancellable,
                            GError** error) {
  FprintWait wait = {NULL};
  fp_device_capture(device, TRUE, cancellable, FprintWaitDone, &wait);
  g_autoptr(GAsyncResult) result = FprintWaitRun(context, &wait);
  return fp_device_capture_finish(device, result, error);
}

gboolean FprintClose(FpDevice* device, GMainContext* context, GError** error) {
  FprintWait wait = {NULL};
  fp_device_close(device, NULL, FprintWaitDone, &wait);
  g_autoptr(GAsyncResult) result = FprintWaitRun(context, &wait);
  return fp_device_close_finish(device, result, error);
}
