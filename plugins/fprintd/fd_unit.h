/*
 * One reader (unit): a device that fprintd lists, with a GMainContext of its own on which every
 * call of an operation replies and every signal of a verification arrives. The thread that runs
 * an operation pushes that context as its thread-default around the wait, so nothing needs GLib's
 * global default context, which the GTK main loop owns.
 *
 * Thread rules: one operation (connect, capture, disconnect) runs at a time, on the thread that
 * claimed it; FprintdUnitDisconnect and FprintdUnitCancel may come from any thread at any time.
 * They hand the cancel of a running operation to the unit's context with g_main_context_invoke;
 * the operation's own thread then stops the verification and, after a disconnect, releases the
 * device on its way out, while the disconnecting thread waits for that (bounded), so that the
 * reader is free for the next client when the disconnect returns.
 */
#ifndef VELMORA_PLUGINS_FPRINTD_FD_UNIT_H_
#define VELMORA_PLUGINS_FPRINTD_FD_UNIT_H_

#include <gio/gio.h>
#include <pthread.h>
#include <stdint.h>

#include "fd_texts.h"

/* The state of the running verification; touched on the unit's context only. */
typedef struct FprintdVerifyState {
  gboolean m_Ended;         /* a final status came */
  FprintdOutcome m_Outcome; /* that status's outcome */
  gboolean m_Vanished;      /* fprintd left the bus */
} FprintdVerifyState;

/* Known to the shared entry points as ReaderUnit (reader_backend.h). */
typedef struct ReaderUnit {
  uint32_t m_Id;               /* the unit's id in the program; set once as the unit joins the table */
  char* m_Path;                /* the device's object path, owned; fixed after enumeration */
  char* m_Name;                /* its name, owned; fixed */
  int32_t m_Swipe;             /* 1 for a swipe reader, 0 for a press reader; fixed */
  int32_t m_Stages;            /* enroll stages; fixed */
  GMainContext* m_Context;     /* the unit's own context, owned */
  pthread_mutex_t m_Lock;      /* guards the four fields below */
  pthread_cond_t m_Idle;       /* signalled when m_Busy drops */
  gboolean m_Busy;             /* an operation runs on some thread */
  GCancellable* m_Cancellable; /* that operation's, owned; NULL when none runs */
  gboolean m_Disconnected;     /* FprintdUnitDisconnect came after the last connect */
  gboolean m_Claimed;          /* the device may be claimed by us; touched by the operation's thread */
  FprintdVerifyState m_Verify;
  char m_Sample[256]; /* the last sample; written by the capturing thread only */
} FprintdUnit;

/* A unit for the device at `path` with its properties (copied). Never fails. */
FprintdUnit* FprintdUnitNew(const char* path, const char* name, int32_t swipe, int32_t stages);

/* Claims the device for the calling user, unless claimed. 0, or non-zero after one line on stderr
 * (in use by another program, not authorized, fprintd gone, ...). */
int FprintdUnitConnect(FprintdUnit* unit);

/* Verifies a finger against all of the user's enrolled fingers, waiting for the final status; a
 * retry asks for the finger again (one line on stderr and one prompt to the program's sink each,
 * the prompt only while the unit is connected). On a match the sample is in
 * unit->m_Sample and its length is returned; -1 on anything else, at once after a disconnect. */
int FprintdUnitCapture(FprintdUnit* unit);

/* Any thread. Ends a running operation and waits (at most two seconds) until its thread has
 * stopped the verification and released the device; otherwise releases it on the calling thread.
 * Captures fail until the next connect. Idempotent; 0. */
int FprintdUnitDisconnect(FprintdUnit* unit);

/* Any thread. Ends a running operation, if any (the claim stays); 0. */
int FprintdUnitCancel(FprintdUnit* unit);

#endif /* VELMORA_PLUGINS_FPRINTD_FD_UNIT_H_ */
