/*
 * fpx_template.c: the smallest correct reader plug-in, to copy when writing one for a real reader.
 *
 * It reports one unit and, having no reader behind it, captures a fixed demonstration sample. What
 * it shows is the part that every plug-in must get right whatever its reader:
 *
 *   - memory: the id list and the info texts are allocated here and come back through FpxFree;
 *     the sample stays valid until the next capture, the disconnect or the unload;
 *   - threads: FpxDisconnect (and FpxCancel) arrive from another thread while FpxConnect or
 *     FpxSensorCaptureSample runs, and must end that capture promptly; a capture that starts after
 *     a disconnect fails until the next FpxConnect;
 *   - results: 0 for success, anything else for failure;
 *   - prompts (optional): FpxSetPromptSink hands over the program's sink, through which the
 *     plug-in tells the person what the reader wants ("Swipe your finger again, more slowly"),
 *     only while the unit is connected.
 *
 * To make it yours: rename the library and the texts, put your device's calls where the comments
 * say so, and keep one TemplateUnit per reader if you drive several.
 */
#include <pthread.h>
#include <stdlib.h>
#include <string.h>
#include <velmora/fpx_plugin.h>

enum {
  kUnitId = 1, /* any 32-bit value; the program passes it back unchanged */
  kFailed = 1, /* the program does not tell failures apart */
  kEnded = 2,  /* a capture that a disconnect or cancel ended */
  kSampleArea = 256
};

/*
 * The capture program copies the sample into its parent's record as text: up to the first NUL
 * byte, at most 255 bytes. Keep it NUL-terminated within 256 bytes and report its length without
 * the NUL. It must stay valid after FpxSensorCaptureSample returns, until the next capture on the
 * unit, its FpxDisconnect or the library's unload: static storage does that.
 */
static unsigned char g_Sample[] = "VELMORA-TEMPLATE-SAMPLE-0001";
_Static_assert(sizeof g_Sample <= kSampleArea, "the sample and its NUL fit the program's sample area");

/*
 * The unit's state. The program calls FpxDisconnect from its window thread while its capture
 * thread may be inside FpxConnect or FpxSensorCaptureSample, so every field is guarded by `lock`.
 */
typedef struct TemplateUnit {
  pthread_mutex_t lock;
  pthread_cond_t changed; /* signalled when `connected` or `cancels` changes, or a finger arrives */
  int connected;          /* GUARDED_BY(lock): between FpxConnect and FpxDisconnect */
  unsigned cancels;       /* GUARDED_BY(lock): FpxCancel calls so far; a capture ends when it moves */
  FpxPromptSink sink;     /* GUARDED_BY(lock): the program's, from FpxSetPromptSink; may stay NULL */
  void* sinkData;         /* GUARDED_BY(lock) */
} TemplateUnit;

static TemplateUnit g_Unit = {PTHREAD_MUTEX_INITIALIZER, PTHREAD_COND_INITIALIZER, 0, 0, NULL, NULL};

/* A heap copy of `text` for UnitInfo, which the program hands back to FpxFree; NULL when out of
 * memory. */
static char* CopyText(const char* text) {
  size_t size = strlen(text) + 1;
  char* copy = malloc(size);
  if (copy != NULL) memcpy(copy, text, size);
  return copy;
}

int32_t FpxEnumUnits(uint32_t** unitIds, uint32_t* count) {
  /* A real plug-in lists the readers that are plugged in; one array, freed by FpxFree. */
  uint32_t* ids = malloc(sizeof *ids);
  if (ids == NULL) return kFailed;
  ids[0] = kUnitId;
  *unitIds = ids;
  *count = 1;
  return 0;
}

int32_t FpxGetInfo(uint32_t unitId, UnitInfo* info) {
  if (unitId != kUnitId) return kFailed;
  char* name = CopyText("Velmora template reader");
  char* serial = CopyText("TPL-0001");
  if (name == NULL || serial == NULL) {
    /* After a failure the program frees nothing: whatever was allocated goes back here. */
    free(name);
    free(serial);
    return kFailed;
  }
  /* On success all six fields must be set; the program gives the four values no meaning. */
  info->text1 = name;
  info->text2 = serial;
  info->value1 = 1;
  info->value2 = 0;
  info->value3 = 0;
  info->value4 = 0;
  return 0;
}

/* Optional: the program calls it before every FpxConnect. Keep the sink for your prompts. */
int32_t FpxSetPromptSink(FpxPromptSink sink, void* data) {
  pthread_mutex_lock(&g_Unit.lock);
  g_Unit.sink = sink;
  g_Unit.sinkData = data;
  pthread_mutex_unlock(&g_Unit.lock);
  return 0;
}

/*
 * Tells the person at the window what the reader wants: a short UTF-8 text of at most 255 bytes,
 * which the program copies at once. REQUIRES: g_Unit.lock held, so that FpxDisconnect cannot
 * return between the check and the call: no prompt may follow it.
 */
static void AskPerson(const char* text) {
  if (g_Unit.connected && g_Unit.sink != NULL) g_Unit.sink(kUnitId, text, g_Unit.sinkData);
}

/*
 * What the reader asks of the person after a bad read, or NULL. REQUIRES: g_Unit.lock held. A real
 * plug-in maps its device's retry reasons to words here ("Swipe your finger again, more slowly");
 * without a reader nothing is ever asked.
 */
static const char* RetryRequest(void) { return NULL; }

int32_t FpxConnect(uint32_t unitId, int32_t v1, int32_t v2, int32_t v3) {
  (void)v1; /* the program passes 0, 0, 0 */
  (void)v2;
  (void)v3;
  if (unitId != kUnitId) return kFailed;
  /* A real plug-in opens its device here and returns non-zero when it cannot. */
  pthread_mutex_lock(&g_Unit.lock);
  g_Unit.connected = 1;
  pthread_mutex_unlock(&g_Unit.lock);
  return 0;
}

int32_t FpxDisconnect(uint32_t unitId) {
  if (unitId != kUnitId) return kFailed;
  pthread_mutex_lock(&g_Unit.lock);
  g_Unit.connected = 0;
  /* Wakes a capture in progress; it sees `connected` cleared and ends. */
  pthread_cond_broadcast(&g_Unit.changed);
  pthread_mutex_unlock(&g_Unit.lock);
  /* A real plug-in closes its device here, once its capture has let go of it. */
  return 0;
}

int32_t FpxCancel(uint32_t unitId) {
  if (unitId != kUnitId) return kFailed;
  pthread_mutex_lock(&g_Unit.lock);
  ++g_Unit.cancels;
  pthread_cond_broadcast(&g_Unit.changed);
  pthread_mutex_unlock(&g_Unit.lock);
  return 0;
}

/*
 * Whether the reader holds a finger. REQUIRES: g_Unit.lock held. Without a reader the finger is
 * always there, so the capture below returns the demonstration sample at once.
 */
static int FingerPresent(void) { return 1; }

int32_t FpxSensorCaptureSample(uint32_t unitId, int32_t v1, int32_t v2, unsigned char** sample,
                               int32_t* sampleSize, int32_t* reserved) {
  (void)v1; /* the program passes 2 and 1 */
  (void)v2;
  (void)reserved; /* the program never reads it */
  if (unitId != kUnitId) return kFailed;
  pthread_mutex_lock(&g_Unit.lock);
  /* A disconnect that came before the capture started must not be lost. */
  if (!g_Unit.connected) {
    pthread_mutex_unlock(&g_Unit.lock);
    return kFailed;
  }
  /*
   * This is where a real plug-in waits for the finger: its device (a callback, or a thread of its
   * own) sets a flag under the lock and signals `changed`, and FpxDisconnect or FpxCancel wake the
   * wait as well. Never wait without a way out: the program's window closes while this thread is
   * still in here.
   */
  unsigned cancels = g_Unit.cancels;
  while (g_Unit.connected && g_Unit.cancels == cancels && !FingerPresent()) {
    const char* retry = RetryRequest();
    if (retry != NULL) AskPerson(retry);
    pthread_cond_wait(&g_Unit.changed, &g_Unit.lock);
  }
  int ended = !g_Unit.connected || g_Unit.cancels != cancels;
  pthread_mutex_unlock(&g_Unit.lock);
  if (ended) return kEnded;
  /* A real plug-in reads the sample from its device here, into memory that outlives this call. */
  *sample = g_Sample;
  *sampleSize = (int32_t)strlen((const char*)g_Sample);
  return 0;
}

int32_t FpxExtractSample(uint32_t unitId, int32_t v1, int32_t v2, int32_t v3, int32_t v4, int32_t v5,
                         int32_t v6, int32_t v7, int32_t v8) {
  /* Not supported: the program never calls it, and a plug-in without it says so by failing. */
  (void)unitId;
  (void)v1;
  (void)v2;
  (void)v3;
  (void)v4;
  (void)v5;
  (void)v6;
  (void)v7;
  (void)v8;
  return kFailed;
}

int32_t FpxFree(void* memory) {
  /* Everything handed out came from malloc; free() accepts NULL, as FpxFree must. */
  free(memory);
  return 0;
}
