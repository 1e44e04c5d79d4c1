/* Waiting for an asynchronous call on the plug-in's own context (fprint_wait.h). */
#include "fprint_wait.h"

void FprintWaitDone(GObject* source, GAsyncResult* result, gpointer wait) {
  (void)source;
  ((FprintWait*)wait)->m_Result = g_object_ref(result);
}

GAsyncResult* FprintWaitRun(GMainContext* context, FprintWait* wait) {
  while (wait->m_Result == NULL) g_main_context_iteration(context, TRUE);
  return g_steal_pointer(&wait->m_Result);
}
