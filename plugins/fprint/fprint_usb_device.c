/* The USB device under a reader (fprint_usb_device.h). */
#include "fprint_usb_device.h"

GUsbDevice* FprintUsbDeviceOf(FpDevice* device) {
  GUsbDevice* usb = NULL;
  if (g_object_class_find_property(G_OBJECT_GET_CLASS(device), "fpi-usb-device") != NULL)
    g_object_get(device, "fpi-usb-device", &usb, NULL);
  return usb;
}

char* FprintUsbIds(FpDevice* device) {
  g_autoptr(GUsbDevice) usb = FprintUsbDeviceOf(device);
  if (usb == NULL) return NULL;
  return g_strdup_printf("%04x:%04x", g_usb_device_get_vid(usb), g_usb_device_get_pid(usb));
}
