/*
 * The reader's texts as the plug-in prints them: libfprint may give a device without a name or
 * an id, and such a device must not print "(null)".
 *
 * Thread rules: any thread; libfprint's getters only read the device.
 */
#ifndef VELMORA_PLUGINS_FPRINT_FP_DEVICE_TEXT_H_
#define VELMORA_PLUGINS_FPRINT_FP_DEVICE_TEXT_H_

#include <fprint.h>

/* libfprint's name of the reader, or "the reader" when it has none; owned by the device. */
const char* FprintDeviceName(FpDevice* device);

/* "<driver>/<device id>", with an empty id when libfprint gives none; free with g_free. */
char* FprintDeviceLabel(FpDevice* device);

#endif /* VELMORA_PLUGINS_FPRINT_FP_DEVICE_TEXT_H_ */
