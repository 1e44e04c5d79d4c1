/*
 * Plug-ins that break one rule of the contract each, for velmora-plugin-check's tests. Without a
 * flag the library keeps every rule: one unit (id 1) that captures at once, a capture after
 * FpxDisconnect fails until the next FpxConnect, an unknown id fails FpxGetInfo, and everything
 * handed out goes back through FpxFree; only the prompt flags export FpxSetPromptSink. One flag per
 * library:
 *
 *   TB_OPEN_TEXT         text1 is 8 KiB without a NUL byte
 *   TB_GETINFO_CRASH     FpxGetInfo of a listed unit calls a driver hook that was never set
 *   TB_FREE_NULL_CRASH   FpxFree finds its block header in front of the pointer, NULL included
 *   TB_DEAF_CAPTURE      the capture waits for a finger that never comes, and a FpxDisconnect
 *                        that comes meanwhile does not end the wait
 *   TB_OPEN_SAMPLE       the sample is 512 bytes without a NUL byte, reported as 64
 *   TB_LONG_SAMPLE       the sample is 512 bytes without a NUL byte, reported as 512
 *   TB_FD_PER_CONNECT    every FpxConnect opens a descriptor that nothing closes
 *   TB_HEAP_PER_CONNECT  every FpxConnect allocates 16 KiB that nothing frees
 *   TB_OPEN_PROMPT       exports FpxSetPromptSink; the capture's prompt is 300 bytes without a NUL
 *   TB_BAD_PROMPT        exports FpxSetPromptSink; the capture's prompt is not UTF-8
 *   TB_LATE_PROMPT       exports FpxSetPromptSink; a thread that the first FpxConnect starts
 *                        prompts every millisecond once a FpxDisconnect has returned
 *   TB_FORGERY           FpxFree(NULL) does what tb_forgery.c's flag says (built with that file)
 */
#include <fcntl.h>
#include <pthread.h>
#include <stddef.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include "velmora/fpx_plugin.h"

#ifdef TB_FORGERY
#include "tb_forgery.h"
#endif

enum { kUnitId = 1, kBlockMagic = 0x426c6b21 };

/* Everything handed out is a block; FpxFree finds the header in front of the bytes. */
struct Block {
  uint32_t magic;
  uint32_t size;
  unsigned char bytes[];
};

static void* HandOut(const void* bytes, size_t size) {
  struct Block* block = malloc(sizeof *block + size);
  if (block == NULL) return NULL;
  block->magic = kBlockMagic;
  block->size = (uint32_t)size;
  memcpy(block->bytes, bytes, size);
  return block->bytes;
}

static pthread_mutex_t g_Lock = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t g_Changed = PTHREAD_COND_INITIALIZER;
static int g_Disconnected; /* guarded by g_Lock: since the last FpxConnect */

FPX_EXPORT int32_t FpxEnumUnits(uint32_t** unitIds, uint32_t* count) {
  uint32_t id = kUnitId;
  *unitIds = HandOut(&id, sizeof id);
  *count = 1;
  return *unitIds != NULL ? 0 : 1;
}

#ifdef TB_GETINFO_CRASH
/* Filled by a driver that this build lacks. */
static int32_t (*volatile g_Describe)(uint32_t unitId, UnitInfo* info);
#endif

FPX_EXPORT int32_t FpxGetInfo(uint32_t unitId, UnitInfo* info) {
  if (unitId != kUnitId) return 1;
#ifdef TB_GETINFO_CRASH
  return g_Describe(unitId, info);
#endif
#ifdef TB_OPEN_TEXT
  char open[8192];
  memset(open, 'x', sizeof open);
  info->text1 = HandOut(open, sizeof open);
#else
  info->text1 = HandOut("broken reader", sizeof "broken reader");
#endif
  info->text2 = HandOut("TB-0001", sizeof "TB-0001");
  info->value1 = 1;
  info->value2 = 2;
  info->value3 = 3;
  info->value4 = 4;
  return 0;
}

#if defined(TB_OPEN_PROMPT) || defined(TB_BAD_PROMPT) || defined(TB_LATE_PROMPT)
#define TB_PROMPTS
static FpxPromptSink g_Sink; /* guarded by g_Lock, with g_SinkData */
static void* g_SinkData;

FPX_EXPORT int32_t FpxSetPromptSink(FpxPromptSink sink, void* data) {
  pthread_mutex_lock(&g_Lock);
  g_Sink = sink;
  g_SinkData = data;
  pthread_mutex_unlock(&g_Lock);
  return 0;
}

/* Calls the sink with `text`. REQUIRES: g_Lock held. */
static void Prompt(const char* text) {
  if (g_Sink != NULL) g_Sink(kUnitId, text, g_SinkData);
}

/* The capture's prompt, while the unit is connected. REQUIRES: g_Lock held. */
static void AskForFinger(void) {
#ifdef TB_OPEN_PROMPT
  static char open[300];
  memset(open, 'x', sizeof open);
  Prompt(open);
#elif defined(TB_BAD_PROMPT)
  Prompt("Place your finger \xc3\x28");
#else
  Prompt("Place your finger");
#endif
}
#endif

#ifdef TB_LATE_PROMPT
/* Waits for the first disconnect to return, then prompts until the process ends. */
static void* PromptLate(void* unused) {
  (void)unused;
  pthread_mutex_lock(&g_Lock);
  while (!g_Disconnected) pthread_cond_wait(&g_Changed, &g_Lock);
  pthread_mutex_unlock(&g_Lock);
  for (;;) {
    struct timespec pause = {0, 1000000};
    nanosleep(&pause, NULL);
    pthread_mutex_lock(&g_Lock);
    Prompt("Still here");
    pthread_mutex_unlock(&g_Lock);
  }
  return NULL;
}

static void StartLatePrompts(void) {
  pthread_t thread;
  if (pthread_create(&thread, NULL, PromptLate, NULL) == 0) pthread_detach(thread);
}
#endif

FPX_EXPORT int32_t FpxConnect(uint32_t unitId, int32_t v1, int32_t v2, int32_t v3) {
  (void)v1, (void)v2, (void)v3;
  if (unitId != kUnitId) return 1;
#ifdef TB_FD_PER_CONNECT
  if (open("/dev/null", O_RDONLY) < 0) return 1;
#endif
#ifdef TB_HEAP_PER_CONNECT
  static void* volatile g_Lost;
  g_Lost = malloc(16 * 1024);
  memset(g_Lost, 1, 16 * 1024);
#endif
  pthread_mutex_lock(&g_Lock);
  g_Disconnected = 0;
  pthread_mutex_unlock(&g_Lock);
#ifdef TB_LATE_PROMPT
  static pthread_once_t started = PTHREAD_ONCE_INIT;
  pthread_once(&started, StartLatePrompts);
#endif
  return 0;
}

FPX_EXPORT int32_t FpxDisconnect(uint32_t unitId) {
  if (unitId != kUnitId) return 1;
  pthread_mutex_lock(&g_Lock);
  g_Disconnected = 1;
  pthread_cond_broadcast(&g_Changed);
  pthread_mutex_unlock(&g_Lock);
  return 0;
}

FPX_EXPORT int32_t FpxCancel(uint32_t unitId) { return FpxDisconnect(unitId); }

FPX_EXPORT int32_t FpxSensorCaptureSample(uint32_t unitId, int32_t v1, int32_t v2, unsigned char** sample,
                                          int32_t* sampleSize, int32_t* reserved) {
  (void)v1, (void)v2;
  if (unitId != kUnitId) return 1;
  pthread_mutex_lock(&g_Lock);
  int disconnected = g_Disconnected;
#ifdef TB_PROMPTS
  if (!disconnected) AskForFinger();
#endif
#ifdef TB_DEAF_CAPTURE
  /* Only the finger would end the wait; the disconnect's wake-up finds the flag not looked at. */
  int finger = 0;
  while (!disconnected && !finger) pthread_cond_wait(&g_Changed, &g_Lock);
#endif
  pthread_mutex_unlock(&g_Lock);
  if (disconnected) return 2;
#if defined(TB_OPEN_SAMPLE) || defined(TB_LONG_SAMPLE)
  static unsigned char bytes[512];
  memset(bytes, 0xa5, sizeof bytes);
  *sample = bytes;
#ifdef TB_OPEN_SAMPLE
  *sampleSize = 64;
#else
  *sampleSize = (int32_t)sizeof bytes;
#endif
#else
  static unsigned char bytes[] = "broken-sample";
  *sample = bytes;
  *sampleSize = (int32_t)strlen((char*)bytes);
#endif
  if (reserved != NULL) *reserved = 0;
  return 0;
}

FPX_EXPORT int32_t FpxExtractSample(uint32_t unitId, int32_t v1, int32_t v2, int32_t v3, int32_t v4,
                                    int32_t v5, int32_t v6, int32_t v7, int32_t v8) {
  (void)unitId, (void)v1, (void)v2, (void)v3, (void)v4, (void)v5, (void)v6, (void)v7, (void)v8;
  return 1;
}

FPX_EXPORT int32_t FpxFree(void* memory) {
#ifdef TB_FORGERY
  if (memory == NULL) return TbForge();
#endif
#ifndef TB_FREE_NULL_CRASH
  if (memory == NULL) return 0;
#endif
  struct Block* block = (struct Block*)((uintptr_t)memory - offsetof(struct Block, bytes));
  if (block->magic != kBlockMagic) return 1;
  block->magic = 0;
  free(block);
  return 0;
}
