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

static pthread_mutex_t gLock = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t gEnded; /* monotonic clock; set up once */
static pthread_once_t gEndedOnce = PTHREAD_ONCE_INIT;
static struct Block* gBlocks;        /* GUARDED_BY(gLock): handed out, not yet freed */
static struct Block* gSamples;       /* GUARDED_BY(gLock): kept until unload */
static struct Waiter* gWaiters;      /* GUARDED_BY(gLock): captures in progress */
static uint32_t gClosed[kMaxClosed]; /* GUARDED_BY(gLock): disconnected since last connect */
static int gClosedCount;             /* GUARDED_BY(gLock) */

static int Push(struct Block** list, void* memory, const char* label) {
  struct Block* block = malloc(sizeof *block);
  if (block == NULL) return -1;
  block->memory = memory;
  strncpy(block->label, label, sizeof block->label - 1);
  block->label[sizeof block->label - 1] = '\0';
  pthread_mutex_lock(&gLock);
  block->next = *list;
  *list = block;
  pthread_mutex_unlock(&gLock);
  return 0;
}

int SimHandOut(void* memory, const char* label) { return Push(&gBlocks, memory, label); }

int SimKeepSample(unsigned char* sample) { return Push(&gSamples, sample, "sample"); }

int SimTakeBack(void* memory, char* label) {
  pthread_mutex_lock(&gLock);
  struct Block** link = &gBlocks;
  while (*link != NULL && (*link)->memory != memory) link = &(*link)->next;
  struct Block* block = *link;
  if (block != NULL) *link = block->next;
  pthread_mutex_unlock(&gLock);
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
  pthread_mutex_lock(&gLock);
  struct Block* blocks = gBlocks;
  struct Block* samples = gSamples;
  gBlocks = gSamples = NULL;
  pthread_mutex_unlock(&gLock);
  FreeList(blocks);
  FreeList(samples);
}

/* REQUIRES: gLock held. */
static int ClosedIndex(uint32_t unitId) {
  for (int i = 0; i < gClosedCount; ++i) {
    if (gClosed[i] == unitId) return i;
  }
  return -1;
}

void SimSetConnected(uint32_t unitId, int connected) {
  pthread_mutex_lock(&gLock);
  int index = ClosedIndex(unitId);
  if (connected && index >= 0) gClosed[index] = gClosed[--gClosedCount];
  if (!connected && index < 0 && gClosedCount < kMaxClosed) gClosed[gClosedCount++] = unitId;
  pthread_mutex_unlock(&gLock);
}

static void InitEnded(void) {
  pthread_condattr_t attributes;
  pthread_condattr_init(&attributes);
  pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
  pthread_cond_init(&gEnded, &attributes);
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

/* REQUIRES: gLock held. */
static void Unlink(struct Waiter* waiter) {
  struct Waiter** link = &gWaiters;
  while (*link != waiter) link = &(*link)->next;
  *link = waiter->next;
}

int SimWaitForFinger(uint32_t unitId, long delayMs) {
  pthread_once(&gEndedOnce, InitEnded);
  struct timespec deadline = DeadlineAfter(delayMs);
  pthread_mutex_lock(&gLock);
  struct Waiter waiter = {unitId, ClosedIndex(unitId) >= 0, gWaiters};
  gWaiters = &waiter;
  int timedOut = 0;
  while (!waiter.ended && !timedOut)
    timedOut = pthread_cond_timedwait(&gEnded, &gLock, &deadline) == ETIMEDOUT;
  Unlink(&waiter);
  pthread_mutex_unlock(&gLock);
  return waiter.ended ? -1 : 0;
}

void SimEndCaptures(uint32_t unitId) {
  pthread_once(&gEndedOnce, InitEnded);
  pthread_mutex_lock(&gLock);
  for (struct Waiter* waiter = gWaiters; waiter != NULL; waiter = waiter->next) {
    if (waiter->unitId == unitId) waiter->ended = 1;
  }
  pthread_cond_broadcast(&gEnded);
  pthread_mutex_unlock(&gLock);
}
