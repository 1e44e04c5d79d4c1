/*
 * Whether a reader that failed to open is held by another process. The system's fingerprint
 * service keeps open the readers that it serves; the USB library then refuses this process's claim
 * and libfprint passes on its raw text ("USB error on device 27c6:609c : Resource busy [-6]"), in
 * place of which the plug-in says who holds the reader.
 *
 * Thread rules: any thread; reads the error only.
 */
#ifndef VELMORA_PLUGINS_FPRINT_FPRINT_HELD_H_
#define VELMORA_PLUGINS_FPRINT_FPRINT_HELD_H_

#include <glib.h>

#ifdef __cplusplus
extern "C" {
#endif

/* What the line of a failed open says, after the reader's name, when another process holds it. */
#define FPRINT_HELD_TEXT \
  "the system's fingerprint service (fprintd) or another program holds the reader; use the fprintd entry"

/* Whether `error`, from opening a reader, says that another process holds the reader: the USB
 * library's busy claim, whatever domain passes its text on; GIO's busy; the socket address of a
 * virtual reader in use. libfprint's own FP_DEVICE_ERROR_BUSY is not: it means another call of
 * this process. FALSE for NULL. */
gboolean FprintHeldElsewhere(const GError* error);

#ifdef __cplusplus
}
#endif

#endif /* VELMORA_PLUGINS_FPRINT_FPRINT_HELD_H_ */
