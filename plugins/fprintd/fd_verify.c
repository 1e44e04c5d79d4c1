/* One verification (fd_verify.h). */
#include "fd_verify.h"

#include <stdio.h>

#include "fd_bus.h"
#include "prompt_holder.h"

void FprintdReport(const FprintdUnit* unit, const char* what, const GError* error) {
  if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) return;
  g_autofree char* name = FprintdErrorName(error);
  g_autoptr(GError) plain = g_error_copy(error);
  g_dbus_error_strip_remote_error(plain);
  g_autofree char* line = FprintdErrorLine(name, what, unit->m_Name, plain->message);
  fprintf(stderr, "velmora fprintd: %s\n", line);
}

/* Asks the person for the finger again, in words, unless a disconnect came: under the lock that
 * FprintdUnitDisconnect takes, so that no prompt follows its return. */
static void Prompt(FprintdUnit* unit, const char* status) {
  const char* text = FprintdRetryPrompt(status);
  pthread_mutex_lock(&unit->m_Lock);
  if (text != NULL && !unit->m_Disconnected) PromptHolderSend(unit->m_Id, text);
  pthread_mutex_unlock(&unit->m_Lock);
}

static void OnStatus(GDBusConnection* bus, const char* sender, const char* path, const char* interface,
                     const char* signal, GVariant* parameters, gpointer data) {
  (void)bus, (void)sender, (void)path, (void)interface, (void)signal;
  FprintdUnit* unit = data;
  const char* status = NULL;
  gboolean done = FALSE;
  if (unit->m_Verify.m_Ended || !g_variant_is_of_type(parameters, G_VARIANT_TYPE("(sb)"))) return;
  g_variant_get(parameters, "(&sb)", &status, &done);
  const char* words = NULL;
  FprintdOutcome outcome = FprintdClassifyStatus(status, done, &words);
  if (outcome == kFprintdRetry) {
    fprintf(stderr, "velmora fprintd: %s, present the finger again\n", words);
    Prompt(unit, status);
  }
  if (outcome == kFprintdRetry || outcome == kFprintdPending) return;
  if (outcome != kFprintdMatch) fprintf(stderr, "velmora fprintd: %s on %s\n", words, unit->m_Name);
  unit->m_Verify.m_Ended = TRUE;
  unit->m_Verify.m_Outcome = outcome;
}

static void OnOwner(GDBusConnection* bus, const char* sender, const char* path, const char* interface,
                    const char* signal, GVariant* parameters, gpointer data) {
  (void)bus, (void)sender, (void)path, (void)interface, (void)signal;
  FprintdUnit* unit = data;
  const char* newOwner = "";
  if (g_variant_is_of_type(parameters, G_VARIANT_TYPE("(sss)")))
    g_variant_get(parameters, "(&s&s&s)", NULL, NULL, &newOwner);
  if (*newOwner == '\0') unit->m_Verify.m_Vanished = TRUE;
}

/* Subscribes the unit to the device's statuses (first id) and fprintd's leaving (second). */
static void Subscribe(FprintdUnit* unit, GDBusConnection* bus, guint ids[2]) {
  ids[0] =
      g_dbus_connection_signal_subscribe(bus, FPRINTD_NAME, FPRINTD_DEVICE_INTERFACE, "VerifyStatus",
                                         unit->m_Path, NULL, G_DBUS_SIGNAL_FLAGS_NONE, OnStatus, unit, NULL);
  ids[1] = g_dbus_connection_signal_subscribe(bus, "org.freedesktop.DBus", "org.freedesktop.DBus",
                                              "NameOwnerChanged", "/org/freedesktop/DBus", FPRINTD_NAME,
                                              G_DBUS_SIGNAL_FLAGS_NONE, OnOwner, unit, NULL);
}

static gboolean Start(FprintdUnit* unit, GCancellable* cancellable) {
  g_autoptr(GError) error = NULL;
  g_autoptr(GVariant) reply = FprintdCallOn(unit->m_Context, unit->m_Path, FPRINTD_DEVICE_INTERFACE,
                                            "VerifyStart", g_variant_new("(s)", "any"), cancellable, &error);
  if (reply == NULL) FprintdReport(unit, "starting the verification", error);
  return reply != NULL;
}

/* Iterates the unit's context until a final status, fprintd's leaving or the cancel. */
static void WaitEnd(FprintdUnit* unit, GCancellable* cancellable) {
  FprintdVerifyState* state = &unit->m_Verify;
  while (!state->m_Ended && !state->m_Vanished && !g_cancellable_is_cancelled(cancellable))
    g_main_context_iteration(unit->m_Context, TRUE);
  if (!state->m_Ended && state->m_Vanished)
    fprintf(stderr, "velmora fprintd: the fingerprint service fprintd went away during the verification\n");
}

FprintdOutcome FprintdVerify(FprintdUnit* unit, GCancellable* cancellable) {
  GDBusConnection* bus = FprintdBus(NULL);
  if (bus == NULL) return kFprintdFailed;
  unit->m_Verify = (FprintdVerifyState){FALSE, kFprintdFailed, FALSE};
  guint ids[2];
  Subscribe(unit, bus, ids);
  gboolean started = Start(unit, cancellable);
  if (started) WaitEnd(unit, cancellable);
  g_dbus_connection_signal_unsubscribe(bus, ids[0]);
  g_dbus_connection_signal_unsubscribe(bus, ids[1]);
  if (started && !unit->m_Verify.m_Vanished) FprintdCallQuietly(unit->m_Context, unit->m_Path, "VerifyStop");
  return unit->m_Verify.m_Ended ? unit->m_Verify.m_Outcome : kFprintdFailed;
}
