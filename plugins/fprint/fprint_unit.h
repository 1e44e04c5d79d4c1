/*
 * One reader (unit): a libfprint device with a GMainContext of its own, on which every operation
 * of the device starts and finishes. The thread that runs an operation pushes that context as its
 * thread-default around the wait, so libfprint's callbacks come back on it and never need GLib's
 * global default context, which the GTK main loop owns.
 *
 * Thread rules: one operation (open, capture) runs at a time, on the thread that claimed it;
 * FprintUnitDisconnect, FprintUnitCancel and FprintUnitRemoved may come from any thread at any
 * time. None of them waits for the device: they hand the cancel of the running operation to the
 * unit's context with g_main_context_invoke, and the device is closed on a thread of its own (the
 * closer), never on the caller's or the capturing thread's path.
 */
#ifndef VELMORA_PLUGINS_FPRINT_FPRINT_UNIT_H_
#define VELMORA_PLUGINS_FPRINT_FPRINT_UNIT_H_

#include <fprint.h>
#include <pthread.h>
#include <stdint.h>

#include "fprint_sample.h"

/* Known to the shared entry points as ReaderUnit (reader_backend.h). */
typedef struct ReaderUnit {
  uint32_t m_Id;                        /* the unit's id in the program; fixed */
  FpDevice* m_Device;                   /* owned reference */
  GMainContext* m_Context;              /* the unit's own context, owned */
  pthread_mutex_t m_Lock;               /* guards the fields below (a mutex that thread checkers see) */
  pthread_cond_t m_Changed;             /* signalled when m_Busy, m_Closing or m_Removed change */
  gboolean m_Busy;                      /* an operation runs on some thread */
  gboolean m_Closing;                   /* the closer is asked to close the device, or closes it */
  GThread* m_Closer;                    /* the closer, started at the first close; never ends */
  GCancellable* m_Cancellable;          /* the running operation's, owned; NULL when none runs */
  gboolean m_Disconnected;              /* FprintUnitDisconnect came after the last connect */
  gboolean m_Removed;                   /* the reader was unplugged; it never comes back as this unit */
  gboolean m_Open;                      /* the device is open (or being closed) */
  char m_Sample[kFprintSampleCapacity]; /* the last sample handed out */
} FprintUnit;

/* Unit `id` for `device` (a new reference is taken). Never fails. */
FprintUnit* FprintUnitNew(FpDevice* device, uint32_t id);

/* Opens the device on the calling thread, unless open; first waits for a disconnect in progress
 * (its capture's end and the device's close). 0, or non-zero after one line on stderr (a reader
 * that another process holds is said to be held by the fingerprint service or another program,
 * fprint_held.h; one that a capture of this unit holds is reported busy). */
int FprintUnitConnect(FprintUnit* unit);

/* Captures one image on the calling thread, waiting for the finger; a retry asks for the finger
 * again (one line on stderr and one prompt to the program's sink each, the prompt only while the
 * unit is connected) up to the cap of retries. On success the sample text is in
 * unit->m_Sample and its length is returned; -1 on failure, at once after a disconnect. A capture
 * that a disconnect reaches before it returns fails and leaves no file; a failed capture leaves
 * the previous sample text as it was. */
int FprintUnitCapture(FprintUnit* unit);

/* Any thread. Cancels a running operation, whose thread returns at once; the device is closed
 * on the closer. Captures fail until the next connect. Idempotent; 0. */
int FprintUnitDisconnect(FprintUnit* unit);

/* Any thread. Cancels a running operation, if any; 0. */
int FprintUnitCancel(FprintUnit* unit);

/* Any thread. The reader is gone: cancels a running operation; captures and connects fail. */
void FprintUnitRemoved(FprintUnit* unit);

#endif /* VELMORA_PLUGINS_FPRINT_FPRINT_UNIT_H_ */
