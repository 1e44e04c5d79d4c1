/* One reader and the claims of its operations (fd_unit.h). */
#include "fd_unit.h"

#include <pwd.h>
#include <stdio.h>
#include <time.h>
#include <unistd.h>

#include "fd_bus.h"
#include "fd_verify.h"
#include "reader_cancel.h"

FprintdUnit* FprintdUnitNew(const char* path, const char* name, int32_t swipe, int32_t stages) {
  FprintdUnit* unit = g_new0(FprintdUnit, 1);
  unit->m_Path = g_strdup(path);
  unit->m_Name = g_strdup(name);
  unit->m_Swipe = swipe;
  unit->m_Stages = stages;
  unit->m_Context = g_main_context_new();
  pthread_mutex_init(&unit->m_Lock, NULL);
  pthread_cond_init(&unit->m_Idle, NULL);
  return unit;
}

/* Claims the unit for an operation of the calling thread and gives its cancellable (borrowed), or
 * NULL when another operation runs or, for a capture, the unit was disconnected. */
static GCancellable* Claim(FprintdUnit* unit, gboolean connecting) {
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

/* Gives the device back to fprintd, on the unit's context (pushed). Quiet: after a cancelled claim
 * it may not be ours. */
static void Release(FprintdUnit* unit) {
  unit->m_Claimed = FALSE;
  FprintdCallQuietly(unit->m_Context, unit->m_Path, "Release");
}

/* Ends the calling thread's operation: pops the unit's context and gives up the claim, but first
 * releases the device when a disconnect came meanwhile (that disconnect waits for this). */
static void Finish(FprintdUnit* unit) {
  for (;;) {
    pthread_mutex_lock(&unit->m_Lock);
    gboolean release = unit->m_Disconnected && unit->m_Claimed;
    if (!release) {
      g_main_context_pop_thread_default(unit->m_Context);
      unit->m_Busy = FALSE;
      g_clear_object(&unit->m_Cancellable);
      pthread_cond_broadcast(&unit->m_Idle);
    }
    pthread_mutex_unlock(&unit->m_Lock);
    if (!release) return;
    Release(unit);
  }
}

int FprintdUnitConnect(FprintdUnit* unit) {
  GCancellable* cancellable = Claim(unit, TRUE);
  if (cancellable == NULL) return 1;
  g_main_context_push_thread_default(unit->m_Context);
  if (!unit->m_Claimed) {
    g_autoptr(GError) error = NULL;
    g_autoptr(GVariant) reply = FprintdCallOn(unit->m_Context, unit->m_Path, FPRINTD_DEVICE_INTERFACE,
                                              "Claim", g_variant_new("(s)", ""), cancellable, &error);
    if (reply == NULL) FprintdReport(unit, "claiming the reader", error);
    /* A cancelled claim may still have reached fprintd: it is released on the way out. */
    unit->m_Claimed = reply != NULL || g_cancellable_is_cancelled(cancellable);
  }
  int result = unit->m_Claimed && !g_cancellable_is_cancelled(cancellable) ? 0 : 1;
  Finish(unit);
  return result;
}

static pthread_once_t g_UserOnce = PTHREAD_ONCE_INIT;
static char* g_User; /* the login name of the process's user, or NULL; set once */

static void FindUser(void) {
  struct passwd entry, *found = NULL;
  char buffer[4096];
  if (getpwuid_r(geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != NULL)
    g_User = g_strdup(found->pw_name);
}

/* The sample of a match by the calling user, in unit->m_Sample; its length or -1. */
static int MakeSample(FprintdUnit* unit) {
  pthread_once(&g_UserOnce, FindUser);
  if (g_User == NULL) {
    fprintf(stderr, "velmora fprintd: getpwuid_r: no login name for user %u\n", (unsigned)geteuid());
    return -1;
  }
  int length = FprintdMakeSample(g_User, unit->m_Path, unit->m_Sample);
  if (length < 0) fprintf(stderr, "velmora fprintd: the sample of %s would exceed 255 bytes\n", g_User);
  return length;
}

int FprintdUnitCapture(FprintdUnit* unit) {
  GCancellable* cancellable = Claim(unit, FALSE);
  if (cancellable == NULL) return -1;
  g_main_context_push_thread_default(unit->m_Context);
  int length = -1;
  if (unit->m_Claimed && FprintdVerify(unit, cancellable) == kFprintdMatch) length = MakeSample(unit);
  Finish(unit);
  return length;
}

/* Waits, with the lock held, until the running operation has finished or two seconds passed. */
static void WaitIdle(FprintdUnit* unit) {
  struct timespec deadline;
  clock_gettime(CLOCK_REALTIME, &deadline);
  deadline.tv_sec += 2;
  while (unit->m_Busy && pthread_cond_timedwait(&unit->m_Idle, &unit->m_Lock, &deadline) == 0) {
  }
}

int FprintdUnitDisconnect(FprintdUnit* unit) {
  pthread_mutex_lock(&unit->m_Lock);
  unit->m_Disconnected = TRUE;
  gboolean busy = unit->m_Busy;
  if (busy) {
    ReaderCancelOn(unit->m_Context, unit->m_Cancellable);
    WaitIdle(unit);
  } else {
    unit->m_Busy = TRUE;
  }
  pthread_mutex_unlock(&unit->m_Lock);
  if (busy) return 0;
  g_main_context_push_thread_default(unit->m_Context);
  Finish(unit);
  return 0;
}

int FprintdUnitCancel(FprintdUnit* unit) {
  pthread_mutex_lock(&unit->m_Lock);
  if (unit->m_Busy) ReaderCancelOn(unit->m_Context, unit->m_Cancellable);
  pthread_mutex_unlock(&unit->m_Lock);
  return 0;
}
