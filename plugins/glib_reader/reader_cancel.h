/*
 * Cancelling a unit's running operation from any thread: the cancel runs on the unit's own
 * GMainContext, where the operation started, so that its callbacks see it in order.
 *
 * Thread rules: any thread; the caller holds the unit's lock, which keeps `cancellable` alive
 * until the reference taken here.
 */
#ifndef VELMORA_PLUGINS_GLIB_READER_READER_CANCEL_H_
#define VELMORA_PLUGINS_GLIB_READER_READER_CANCEL_H_

#include <gio/gio.h>

/* Hands the cancel of `cancellable` (may be NULL: nothing runs) to `context`. */
void ReaderCancelOn(GMainContext* context, GCancellable* cancellable);

#endif /* VELMORA_PLUGINS_GLIB_READER_READER_CANCEL_H_ */
