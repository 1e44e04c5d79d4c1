/* The cancel on the unit's context (reader_cancel.h). */
#include "reader_cancel.h"

static gboolean CancelNow(gpointer cancellable) {
  g_cancellable_cancel(cancellable);
  return G_SOURCE_REMOVE;
}

void ReaderCancelOn(GMainContext* context, GCancellable* cancellable) {
  if (cancellable == NULL) return;
  g_main_context_invoke_full(context, G_PRIORITY_DEFAULT, CancelNow, g_object_ref(cancellable),
                             g_object_unref);
}
