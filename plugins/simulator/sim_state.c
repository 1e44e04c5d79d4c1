#include "sim_state.h"

#include <errno.h>
#include <pthread.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

struct Block {
  void* memory;
  char label[64];
  struct Block* next;
};

struct Waiter {
  uint32_t unitId;
  int ended;
  struct Waiter* next;
};

enum { kMaxClosed = 64 };

static pthread_mutex_t g_Lock = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t g_Ended; /* monotonic clock; set up once */
static pthread_once_t g_EndedOnce = PTHREAD_ONCE_INIT;
static struct Block* g_Blocks;        /* GUARDED_BY(g_Lock): handed out, not yet freed */
static struct Block* g_Samples;       /* GUARDED_BY(g_Lock): kept until unload */
static struct Waiter* g_Waiters;      /* GUARDED_BY(g_Lock): captures in progress */
static uint32_t g_Closed[kMaxClosed]; /* GUARDED_BY(g_Lock): disconnected since last connect */
static int g_ClosedCount;             /* GUARDED_BY(g_Lock) */

static int Push(struct Block** list, void* memory, const char* label) {
  struct Block* block = malloc(sizeof *block);
  if (block == NULL) return -1;
  block->memory = memory;
  strncpy(block->label, label, sizeof block->label - 1);
  block->label[sizeof block->label - 1] = '\0';
  pthread_mutex_lock(&g_Lock);
  block->next = *list;
  *list = block;
  pthread_mutex_unlock(&g_Lock);
  return 0;
}

int SimHandOut(void* memory, const char* label) { return Push(&g_Blocks, memory, label); }

int SimKeepSample(unsigned char* sample) { return Push(&g_Samples, sample, "sample"); }

int SimTakeBack(void* memory, char* label) {
  pthread_mutex_lock(&g_Lock);
  struct Block** link = &g_Blocks;
  while (*link != NULL && (*link)->memory != memory) link = &(*link)->next;
  struct Block* block = *link;
  if (block != NULL) *link = block->next;
  pthread_mutex_unlock(&g_Lock);
  if (block == NULL) return -1;
  memcpy(label, block->label, sizeof block->label);
  free(block->memory);
  free(block);
  return 0;
}

static void FreeList(struct Block* block) {
  while (block != NULL) {
    struct Block* next = block->next;
    free(block->memory);
    free(block);
    block = next;
  }
}

void SimReleaseAll(void) {
  pthread_mutex_lock(&g_Lock);
  struct Block* blocks = g_Blocks;
  struct Block* samples = g_Samples;
  g_Blocks = g_Samples = NULL;
  pthread_mutex_unlock(&g_Lock);
  FreeList(blocks);
  FreeList(samples);
}

/* REQUIRES: g_Lock held. */
static int ClosedIndex(uint32_t unitId) {
  for (int i = 0; i < g_ClosedCount; ++i) {
    if (g_Closed[i] == unitId) return i;
  }
  return -1;
}

void SimSetConnected(uint32_t unitId, int connected) {
  pthread_mutex_lock(&g_Lock);
  int index = ClosedIndex(unitId);
  if (connected && index >= 0) g_Closed[index] = g_Closed[--g_ClosedCount];
  if (!connected && index < 0 && g_ClosedCount < kMaxClosed) g_Closed[g_ClosedCount++] = unitId;
  pthread_mutex_unlock(&g_Lock);
}

static void InitEnded(void) {
  pthread_condattr_t attributes;
  pthread_condattr_init(&attributes);
  pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
  pthread_cond_init(&g_Ended, &attributes);
  pthread_condattr_destroy(&attributes);
}

static struct timespec DeadlineAfter(long delayMs) {
  struct timespec deadline;
  clock_gettime(CLOCK_MONOTONIC, &deadline);
  deadline.tv_sec += delayMs / 1000;
  deadline.tv_nsec += (delayMs % 1000) * 1000000L;
  if (deadline.tv_nsec >= 1000000000L) {
    deadline.tv_sec += 1;
    deadline.tv_nsec -= 1000000000L;
  }
  return deadline;
}

/* REQUIRES: g_Lock held. */
static void Unlink(struct Waiter* waiter) {
  struct Waiter** link = &g_Waiters;
  while (*link != waiter) link = &(*link)->next;
  *link = waiter->next;
}

int SimWaitForFinger(uint32_t unitId, long delayMs) {
  pthread_once(&g_EndedOnce, InitEnded);
  struct timespec deadline = DeadlineAfter(delayMs);
  pthread_mutex_lock(&g_Lock);
  struct Waiter waiter = {unitId, ClosedIndex(unitId) >= 0, g_Waiters};
  g_Waiters = &waiter;
  int timedOut = 0;
  while (!waiter.ended && !timedOut)
    timedOut = pthread_cond_timedwait(&g_Ended, &g_Lock, &deadline) == ETIMEDOUT;
  Unlink(&waiter);
  pthread_mutex_unlock(&g_Lock);
  return waiter.ended ? -1 : 0;
}

void SimEndCaptures(uint32_t unitId) {
  pthread_once(&g_EndedOnce, InitEnded);
  pthread_mutex_lock(&g_Lock);
  for (struct Waiter* waiter = g_Waiters; waiter != NULL; waiter = waiter->next) {
    if (waiter->unitId == unitId) waiter->ended = 1;
  }
  pthread_cond_broadcast(&g_Ended);
  pthread_mutex_unlock(&g_Lock);
}
