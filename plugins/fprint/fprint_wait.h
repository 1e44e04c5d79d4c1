/*
 * Waiting for one asynchronous libfprint call: the call is started with FprintWaitDone as its
 * callback while the waiting thread has pushed `context` as its thread-default, so the callback
 * finishes on that context, and FprintWaitRun iterates it until the callback came.
 *
 * Thread rules: the waiting thread must own `context` (pushed as thread-default) throughout.
 */
#ifndef VELMORA_PLUGINS_FPRINT_FPRINT_WAIT_H_
#define VELMORA_PLUGINS_FPRINT_FPRINT_WAIT_H_

#include <gio/gio.h>

typedef struct FprintWait {
  GAsyncResult* m_Result; /* set by the callback, owned */
} FprintWait;

/* The GAsyncReadyCallback to pass with a FprintWait* as its data. */
void FprintWaitDone(GObject* source, GAsyncResult* result, gpointer wait);

/* Iterates `context` until the call finished; gives its result, owned by the caller. */
GAsyncResult* FprintWaitRun(GMainContext* context, FprintWait* wait);

#endif /* VELMORA_PLUGINS_FPRINT_FPRINT_WAIT_H_ */
