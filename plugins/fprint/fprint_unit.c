/* One reader and the claims of its operations (fprint_unit.h). */
#include "fprint_unit.h"

#include <stdio.h>

#include "fprint_device_calls.h"
#include "fprint_device_text.h"
#include "fprint_held.h"
#include "fprint_settings.h"
#include "prompt_holder.h"
#include "reader_cancel.h"

FprintUnit* FprintUnitNew(FpDevice* device, uint32_t id) {
  FprintUnit* unit = g_new0(FprintUnit, 1);
  unit->m_Id = id;
  unit->m_Device = g_object_ref(device);
  unit->m_Context = g_main_context_new();
  pthread_mutex_init(&unit->m_Lock, NULL);
  pthread_cond_init(&unit->m_Changed, NULL);
  return unit;
}

/* Why an operation may not start now, or NULL. Called with the lock held. */
static const char* Refusal(const FprintUnit* unit, gboolean connecting) {
  if (unit->m_Removed) return "the reader was unplugged";
  if (unit->m_Busy) return "another call of this program holds the reader";
  if (!connecting && unit->m_Disconnected) return "disconnected";
  return NULL;
}

/* Claims the unit for an operation of the calling thread, which owns the unit's context from here
 * (pushed as its thread-default) until Release, and gives the operation's cancellable (borrowed)
 * and whether the device is open; or NULL and the refusal, the context untouched. A connect first
 * waits until a disconnect in progress has ended its operation and the closer has closed the
 * device. */
static GCancellable* Claim(FprintUnit* unit, gboolean connecting, gboolean* open, const char** refusal) {
  pthread_mutex_lock(&unit->m_Lock);
  while (connecting && !unit->m_Removed && (unit->m_Closing || (unit->m_Busy && unit->m_Disconnected)))
    pthread_cond_wait(&unit->m_Changed, &unit->m_Lock);
  GCancellable* cancellable = NULL;
  *refusal = Refusal(unit, connecting);
  if (*refusal == NULL) {
    if (connecting) unit->m_Disconnected = FALSE;
    unit->m_Busy = TRUE;
    unit->m_Cancellable = cancellable = g_cancellable_new();
    *open = unit->m_Open;
    g_main_context_push_thread_default(unit->m_Context);
  }
  pthread_mutex_unlock(&unit->m_Lock);
  return cancellable;
}

/* Closes the device on the calling thread, which owns the unit's context for the close. */
static void CloseNow(FprintUnit* unit) {
  g_main_context_push_thread_default(unit->m_Context);
  g_autoptr(GError) error = NULL;
  if (!FprintClose(unit->m_Device, unit->m_Context, &error))
    fprintf(stderr, "velmora fprint: closing %s: %s\n", FprintDeviceName(unit->m_Device), error->message);
  g_main_context_pop_thread_default(unit->m_Context);
}

/* The closer: a thread of the unit's own, for the life of the process, that closes the device
 * whenever m_Closing asks for it, so that neither the disconnecting caller (the window's thread)
 * nor a cancelled capture waits for the close. */
static gpointer RunCloser(gpointer data) {
  FprintUnit* unit = data;
  pthread_mutex_lock(&unit->m_Lock);
  for (;;) {
    while (!unit->m_Closing) pthread_cond_wait(&unit->m_Changed, &unit->m_Lock);
    pthread_mutex_unlock(&unit->m_Lock);
    CloseNow(unit);
    pthread_mutex_lock(&unit->m_Lock);
    unit->m_Open = FALSE;
    unit->m_Closing = FALSE;
    pthread_cond_broadcast(&unit->m_Changed);
  }
  return NULL;
}

/* Asks the closer to close the device, starting it at the first close. Called with the lock held
 * while no thread owns the unit's context. */
static void StartClose(FprintUnit* unit) {
  g_autoptr(GError) error = NULL;
  if (unit->m_Closer == NULL) unit->m_Closer = g_thread_try_new("velmora-close", RunCloser, unit, &error);
  if (unit->m_Closer == NULL) {
    fprintf(stderr, "velmora fprint: g_thread_try_new: %s\n", error->message);
    return; /* the device stays open; the next connect uses it as it is */
  }
  unit->m_Closing = TRUE;
  pthread_cond_broadcast(&unit->m_Changed);
}

/* Ends the calling thread's operation that Claim started: pops the unit's context, keeps `sample`
 * as the unit's text unless a disconnect came meanwhile, hands the close of an open device to the
 * closer after such a disconnect and gives up the claim. Whether the unit is still connected. */
static gboolean Release(FprintUnit* unit, gboolean open, const char* sample) {
  pthread_mutex_lock(&unit->m_Lock);
  g_main_context_pop_thread_default(unit->m_Context);
  gboolean connected = !unit->m_Disconnected && !unit->m_Removed;
  if (connected && sample != NULL) g_strlcpy(unit->m_Sample, sample, sizeof unit->m_Sample);
  unit->m_Open = open;
  if (unit->m_Disconnected && open) StartClose(unit);
  unit->m_Busy = FALSE;
  g_clear_object(&unit->m_Cancellable);
  pthread_cond_broadcast(&unit->m_Changed);
  pthread_mutex_unlock(&unit->m_Lock);
  return connected;
}

int FprintUnitConnect(FprintUnit* unit) {
  gboolean open = FALSE;
  const char* refusal = NULL;
  GCancellable* cancellable = Claim(unit, TRUE, &open, &refusal);
  if (cancellable == NULL) {
    fprintf(stderr, "velmora fprint: opening %s: %s\n", FprintDeviceName(unit->m_Device), refusal);
    return 1;
  }
  g_autoptr(GError) error = NULL;
  if (!open) open = FprintOpen(unit->m_Device, unit->m_Context, cancellable, &error);
  if (error != NULL)
    fprintf(stderr, "velmora fprint: opening %s: %s\n", FprintDeviceName(unit->m_Device),
            FprintHeldElsewhere(error) ? FPRINT_HELD_TEXT : error->message);
  gboolean cancelled = g_cancellable_is_cancelled(cancellable);
  return Release(unit, open, NULL) && open && !cancelled ? 0 : 1;
}

/* Asks the person for the finger again, in words, unless a disconnect came: under the lock that
 * FprintUnitDisconnect takes, so that no prompt follows its return. */
static void Prompt(FprintUnit* unit, const GError* retry) {
  pthread_mutex_lock(&unit->m_Lock);
  if (!unit->m_Disconnected && !unit->m_Removed) PromptHolderSend(unit->m_Id, FprintRetryPrompt(retry->code));
  pthread_mutex_unlock(&unit->m_Lock);
}

/* One image, asking again after each retry until an image comes, the cap is passed or the
 * capture fails otherwise. */
static FpImage* CaptureWithRetries(FprintUnit* unit, GCancellable* cancellable) {
  int cap = FprintRetryCap();
  for (int retries = 0;; ++retries) {
    g_autoptr(GError) error = NULL;
    FpImage* image = FprintCaptureImage(unit->m_Device, unit->m_Context, cancellable, &error);
    if (image != NULL) return image;
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) return NULL;
    if (error->domain != FP_DEVICE_RETRY || retries >= cap) {
      fprintf(stderr, "velmora fprint: capture failed: %s\n", error->message);
      return NULL;
    }
    fprintf(stderr, "velmora fprint: present the finger again: %s\n", error->message);
    Prompt(unit, error);
  }
}

int FprintUnitCapture(FprintUnit* unit) {
  gboolean open = FALSE;
  const char* refusal = NULL;
  GCancellable* cancellable = Claim(unit, FALSE, &open, &refusal);
  if (cancellable == NULL) return -1;
  FprintSample sample = {{0}, NULL};
  int length = -1;
  if (open) {
    g_autoptr(FpImage) image = CaptureWithRetries(unit, cancellable);
    if (image != NULL) length = FprintMakeSample(unit->m_Device, image, &sample);
  }
  if (!Release(unit, open, length >= 0 ? sample.m_Text : NULL) && length >= 0) {
    FprintSampleDiscard(&sample); /* the disconnect came first: nobody is to receive it */
    length = -1;
  }
  FprintSampleClear(&sample);
  return length;
}

int FprintUnitDisconnect(FprintUnit* unit) {
  pthread_mutex_lock(&unit->m_Lock);
  unit->m_Disconnected = TRUE;
  if (unit->m_Busy) /* its thread hands the close to the closer on its way out */
    ReaderCancelOn(unit->m_Context, unit->m_Cancellable);
  else if (unit->m_Open && !unit->m_Closing)
    StartClose(unit);
  pthread_mutex_unlock(&unit->m_Lock);
  return 0;
}

int FprintUnitCancel(FprintUnit* unit) {
  pthread_mutex_lock(&unit->m_Lock);
  ReaderCancelOn(unit->m_Context, unit->m_Cancellable);
  pthread_mutex_unlock(&unit->m_Lock);
  return 0;
}

void FprintUnitRemoved(FprintUnit* unit) {
  pthread_mutex_lock(&unit->m_Lock);
  unit->m_Removed = TRUE;
  ReaderCancelOn(unit->m_Context, unit->m_Cancellable);
  pthread_cond_broadcast(&unit->m_Changed);
  pthread_mutex_unlock(&unit->m_Lock);
}
