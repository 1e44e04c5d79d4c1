/*
 * libfprint's open, capture and close, each started asynchronously and waited for on `context`,
 * which the calling thread has pushed as its thread-default. The *_sync calls are not used: they
 * iterate GLib's global default context, which the GTK main loop owns.
 *
 * Thread rules: the calling thread owns `context`; one call per device at a time.
 */
#ifndef VELMORA_PLUGINS_FPRINT_FPRINT_DEVICE_CALLS_H_
#define VELMORA_PLUGINS_FPRINT_FPRINT_DEVICE_CALLS_H_

#include <fprint.h>

/* fp_device_open; TRUE, or FALSE and *error set. */
gboolean FprintOpen(FpDevice* device, GMainContext* context, GCancellable* cancellable, GError** error);

/* fp_device_capture, waiting for the finger; the image (owned), or NULL and *error set. */
FpImage* FprintCaptureImage(FpDevice* device, GMainContext* context, GCancellable* cancellable,
                            GError** error);

/* fp_device_close; TRUE, or FALSE and *error set. Not cancellable. */
gboolean FprintClose(FpDevice* device, GMainContext* context, GError** error);

#endif /* VELMORA_PLUGINS_FPRINT_FPRINT_DEVICE_CALLS_H_ */
