/* A reader held by another process (fprint_held.h). */
#include "fprint_held.h"

#include <gio/gio.h>
#include <string.h>

/* libusb's text and name of LIBUSB_ERROR_BUSY: libgusb and the drivers that wrap its errors pass
 * them on, under codes that differ from one libgusb to the next. */
static const char* const kUsbBusyTexts[] = {"Resource busy", "LIBUSB_ERROR_BUSY"};

gboolean FprintHeldElsewhere(const GError* error) {
  if (error == NULL) return FALSE;
  if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_BUSY) ||
      g_error_matches(error, G_IO_ERROR, G_IO_ERROR_ADDRESS_IN_USE))
    return TRUE;
  for (gsize i = 0; i < G_N_ELEMENTS(kUsbBusyTexts); ++i)
    if (strstr(error->message, kUsbBusyTexts[i]) != NULL) return TRUE;
  return FALSE;
}
