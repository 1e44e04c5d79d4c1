/* The USB readers' removal (fprint_usb_removal.h). */
#include "fprint_usb_removal.h"

#include <stdio.h>

#include "fprint_unit.h"
#include "fprint_usb_device.h"

/* libgusb's "device-removed" (GUsbContext*, GUsbDevice*): the unit of that device is removed. */
static void OnUsbRemoved(GObject* usbContext, GObject* usbDevice, gpointer units) {
  (void)usbContext;
  GPtrArray* table = units;
  for (guint i = 0; i < table->len; ++i) {
    FprintUnit* unit = g_ptr_array_index(table, i);
    g_autoptr(GUsbDevice) usb = FprintUsbDeviceOf(unit->m_Device);
    if ((GObject*)usb == usbDevice) FprintUnitRemoved(unit);
  }
}

/* Blocks `context`'s handler of `usbContext`'s "device-removed" and connects the plug-in's. */
static void TakeOver(GObject* usbContext, FpContext* context, GPtrArray* units) {
  guint removed = g_signal_lookup("device-removed", G_OBJECT_TYPE(usbContext));
  if (removed == 0) return;
  guint blocked = g_signal_handlers_block_matched(usbContext, G_SIGNAL_MATCH_ID | G_SIGNAL_MATCH_DATA,
                                                  removed, 0, NULL, NULL, context);
  if (blocked == 0)
    fprintf(stderr,
            "velmora fprint: g_signal_handlers_block_matched: libfprint's removal handler not found\n");
  g_signal_connect(usbContext, "device-removed", G_CALLBACK(OnUsbRemoved), units);
}

void FprintTakeOverRemoval(FpContext* context, GPtrArray* units) {
  GObject* done = NULL; /* every USB reader of one FpContext shares its USB context */
  for (guint i = 0; i < units->len; ++i) {
    FprintUnit* unit = g_ptr_array_index(units, i);
    g_autoptr(GUsbDevice) usb = FprintUsbDeviceOf(unit->m_Device);
    g_autoptr(GObject) usbContext = NULL;
    if (usb != NULL) g_object_get(usb, "context", &usbContext, NULL);
    if (usbContext == NULL || usbContext == done) continue;
    TakeOver(usbContext, context, units);
    done = usbContext;
  }
}
