/*
 * One reader (unit): a libfprint device with a GMainContext of its own, on which every operation
 * of the device starts and finishes. The thread that runs an operation pushes that context as its
 * thread-default around the wait, so libfprint's callbacks come back on it and never need GLib's
 * global default context, which the GTK main loop owns.
 *
 * Thread rules: one operation (open, capture, close) runs at a time, on the thread that claimed
 * it; FprintUnitDisconnect and FprintUnitCancel may come from any thread at any time. They never
 * wait for the device: they hand the cancel of the running operation to the unit's context with
 * g_main_context_invoke, and the operation's own thread closes the device on its way out.
 */
#ifndef VELMORA_PLUGINS_FPRINT_FP_UNIT_H_
#define VELMORA_PLUGINS_FPRINT_FP_UNIT_H_

#include <fprint.h>
#include <pthread.h>

#include "fp_sample.h"

typedef struct FprintUnit {
  FpDevice* m_Device;                   /* owned reference */
  GMainContext* m_Context;              /* the unit's own context, owned */
  pthread_mutex_t m_Lock;               /* guards the four fields below (a mutex that thread checkers see) */
  gboolean m_Busy;                      /* an operation runs on some thread */
  GCancellable* m_Cancellable;          /* that operation's, owned; NULL when none runs */
  gboolean m_Disconnected;              /* FprintUnitDisconnect came after the last connect */
  gboolean m_Open;                      /* the device is open */
  char m_Sample[kFprintSampleCapacity]; /* the last sample; written by the capturing thread only */
} FprintUnit;

/* A unit for `device` (a new reference is taken). Never fails. */
FprintUnit* FprintUnitNew(FpDevice* device);

/* Opens the device on the calling thread, unless open. 0, or non-zero after one line on stderr
 * (a reader that another program holds is reported busy). */
int FprintUnitConnect(FprintUnit* unit);

/* Captures one image on the calling thread, waiting for the finger; a retry asks for the finger
 * again (one line on stderr each) up to the cap of retries. On success the sample text is in
 * unit->m_Sample and its length is returned; -1 on failure, at once after a disconnect. */
int FprintUnitCapture(FprintUnit* unit);

/* Any thread. Cancels a running operation, whose thread then closes the device; otherwise closes
 * the device on the calling thread. Captures fail until the next connect. Idempotent; 0. */
int FprintUnitDisconnect(FprintUnit* unit);

/* Any thread. Cancels a running operation, if any; 0. */
int FprintUnitCancel(FprintUnit* unit);

#endif /* VELMORA_PLUGINS_FPRINT_FP_UNIT_H_ */
