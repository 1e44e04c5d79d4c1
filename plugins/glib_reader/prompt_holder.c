/* The kept prompt sink (prompt_holder.h). */
#include "prompt_holder.h"

#include <pthread.h>
#include <stddef.h>

/* The sink and its data change together: a sink must never see another sink's data. */
static pthread_mutex_t g_Lock = PTHREAD_MUTEX_INITIALIZER;
static FpxPromptSink g_Sink; /* GUARDED_BY(g_Lock) */
static void* g_Data;         /* GUARDED_BY(g_Lock) */

void PromptHolderSet(FpxPromptSink sink, void* data) {
  pthread_mutex_lock(&g_Lock);
  g_Sink = sink;
  g_Data = data;
  pthread_mutex_unlock(&g_Lock);
}

/* The sink returns at once, so holding the lock through the call costs nothing. */
void PromptHolderSend(uint32_t unitId, const char* text) {
  pthread_mutex_lock(&g_Lock);
  if (g_Sink != NULL) g_Sink(unitId, text, g_Data);
  pthread_mutex_unlock(&g_Lock);
}
