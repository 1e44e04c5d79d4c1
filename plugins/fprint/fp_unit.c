/* One reader and the claims of its operations (fp_unit.h). */
#include "fp_unit.h"

#include <stdio.h>

#include "fp_device_calls.h"
#include "fp_settings.h"

FprintUnit* FprintUnitNew(FpDevice* device) {
  FprintUnit* unit = g_new0(FprintUnit, 1);
  unit->m_Device = g_object_ref(device);
  unit->m_Context = g_main_context_new();
  pthread_mutex_init(&unit->m_Lock, NULL);
  return unit;
}

/* Claims the unit for an operation of the calling thread and gives its cancellable (borrowed), or
 * NULL when another operation runs or, for a capture, the unit was disconnected. */
static GCancellable* Claim(FprintUnit* unit, gboolean connecting) {
  pthread_mutex_lock(&unit->m_Lock);
  GCancellable* cancellable = NULL;
  if (!unit->m_Busy && (connecting || !unit->m_Disconnected)) {
    if (connecting) unit->m_Disconnected = FALSE;
    unit->m_Busy = TRUE;
    unit->m_Cancellable = cancellable = g_cancellable_new();
  }
  pthread_mutex_unlock(&unit->m_Lock);
  return cancellable;
}

/* Closes the open device on the calling thread, which owns the unit's context. */
static void CloseDevice(FprintUnit* unit) {
  unit->m_Open = FALSE;
  g_autoptr(GError) error = NULL;
  if (!FprintClose(unit->m_Device, unit->m_Context, &error))
    fprintf(stderr, "velmora fprint: closing %s: %s\n", fp_device_get_name(unit->m_Device), error->message);
}

/* Ends the calling thread's operation: pops the unit's context and gives up the claim, but first
 * closes the device when a disconnect came meanwhile (such a disconnect found the unit busy and
 * left the close to this thread). */
static void Finish(FprintUnit* unit) {
  for (;;) {
    pthread_mutex_lock(&unit->m_Lock);
    gboolean close = unit->m_Disconnected && unit->m_Open;
    if (!close) {
      g_main_context_pop_thread_default(unit->m_Context);
      unit->m_Busy = FALSE;
      g_clear_object(&unit->m_Cancellable);
    }
    pthread_mutex_unlock(&unit->m_Lock);
    if (!close) return;
    CloseDevice(unit);
  }
}

int FprintUnitConnect(FprintUnit* unit) {
  GCancellable* cancellable = Claim(unit, TRUE);
  if (cancellable == NULL) return 1;
  g_main_context_push_thread_default(unit->m_Context);
  g_autoptr(GError) error = NULL;
  if (!unit->m_Open) unit->m_Open = FprintOpen(unit->m_Device, unit->m_Context, cancellable, &error);
  if (error != NULL)
    fprintf(stderr, "velmora fprint: opening %s: %s\n", fp_device_get_name(unit->m_Device), error->message);
  int result = unit->m_Open && !g_cancellable_is_cancelled(cancellable) ? 0 : 1;
  Finish(unit);
  return result;
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
    fprintf(stderr, "velmora fprint: %s, present the finger again\n", error->message);
  }
}

int FprintUnitCapture(FprintUnit* unit) {
  GCancellable* cancellable = Claim(unit, FALSE);
  if (cancellable == NULL) return -1;
  g_main_context_push_thread_default(unit->m_Context);
  int length = -1;
  if (unit->m_Open) {
    g_autoptr(FpImage) image = CaptureWithRetries(unit, cancellable);
    if (image != NULL) length = FprintMakeSample(unit->m_Device, image, unit->m_Sample);
  }
  Finish(unit);
  return length;
}

/* Runs on the unit's context: cancels the operation that owned `cancellable`. */
static gboolean CancelNow(gpointer cancellable) {
  g_cancellable_cancel(cancellable);
  return G_SOURCE_REMOVE;
}

/* Hands the cancel of the running operation to the unit's context. Called with the lock held. */
static void CancelRunning(FprintUnit* unit) {
  if (unit->m_Cancellable == NULL) return;
  g_main_context_invoke_full(unit->m_Context, G_PRIORITY_DEFAULT, CancelNow,
                             g_object_ref(unit->m_Cancellable), g_object_unref);
}

int FprintUnitDisconnect(FprintUnit* unit) {
  pthread_mutex_lock(&unit->m_Lock);
  unit->m_Disconnected = TRUE;
  gboolean busy = unit->m_Busy;
  if (busy) CancelRunning(unit);
  unit->m_Busy = TRUE;
  pthread_mutex_unlock(&unit->m_Lock);
  if (busy) return 0;
  g_main_context_push_thread_default(unit->m_Context);
  Finish(unit);
  return 0;
}

int FprintUnitCancel(FprintUnit* unit) {
  pthread_mutex_lock(&unit->m_Lock);
  if (unit->m_Busy) CancelRunning(unit);
  pthread_mutex_unlock(&unit->m_Lock);
  return 0;
}
