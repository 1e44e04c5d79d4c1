/*
 * The USB device under a libfprint reader. libfprint hands it to its drivers as the construct-only
 * property "fpi-usb-device" and documents no other way to it; a reader that is no USB device (a
 * virtual, SPI or hidraw one) has none, and then neither has USB ids.
 *
 * Thread rules: any thread; reads the device's property only.
 */
#ifndef VELMORA_PLUGINS_FPRINT_FPRINT_USB_DEVICE_H_
#define VELMORA_PLUGINS_FPRINT_FPRINT_USB_DEVICE_H_

#include <fprint.h>
#include <gusb.h>

/* The USB device under `device` (a new reference), or NULL for a reader that is none. */
GUsbDevice* FprintUsbDeviceOf(FpDevice* device);

/* "<vid>:<pid>" in four lower-case hex digits each ("27c6:609c"), or NULL for a reader that is no
 * USB device; free with g_free. */
char* FprintUsbIds(FpDevice* device);

#endif /* VELMORA_PLUGINS_FPRINT_FPRINT_USB_DEVICE_H_ */
