/*
 * The unplugging of a USB reader, taken over from libfprint. libgusb reports it on GLib's global
 * default context, which the GTK main loop runs; libfprint's own handler there would touch the
 * device's running task while the capturing thread finishes that task on the unit's context. The
 * plug-in therefore blocks libfprint's handler and handles the removal itself: under the unit's
 * lock it marks the unit removed and hands the cancel to the unit's context (fprint_unit.h), so the
 * task is only ever touched on that context.
 *
 * Thread rules: FprintTakeOverRemoval runs on the enumerating thread, with the global default
 * context acquired; the handler it installs runs on whatever thread dispatches that context.
 */
#ifndef VELMORA_PLUGINS_FPRINT_FPRINT_USB_REMOVAL_H_
#define VELMORA_PLUGINS_FPRINT_FPRINT_USB_REMOVAL_H_

#include <fprint.h>

/* For the USB readers among `units` (FprintUnit*, kept for the life of the process): blocks
 * `context`'s handler of their USB context's "device-removed" and installs the plug-in's. Readers
 * that are no USB devices are left as they are. */
void FprintTakeOverRemoval(FpContext* context, GPtrArray* units);

#endif /* VELMORA_PLUGINS_FPRINT_FPRINT_USB_REMOVAL_H_ */
