/*
 * The reader's texts as the plug-in prints them: libfprint may give a device without a name, a
 * driver or an id, and such a device must not print "(null)".
 *
 * Thread rules: any thread; libfprint's getters only read the device.
 */
#ifndef VELMORA_PLUGINS_FPRINT_FPRINT_DEVICE_TEXT_H_
#define VELMORA_PLUGINS_FPRINT_FPRINT_DEVICE_TEXT_H_

#include <fprint.h>

/* libfprint's name of the reader, or "the reader" when it has none; owned by the device. */
const char* FprintDeviceName(FpDevice* device);

/* "<driver>/<device id>", with an empty id when libfprint gives none; free with g_free. */
char* FprintDeviceLabel(FpDevice* device);

/* The reader as a line about it names it: "<name> (<driver>, <vid>:<pid>)", or "<name> (<driver>)"
 * for a reader that is no USB device ("... (goodixmoc, 27c6:609c)", "... (virtual_device_storage)");
 * free with g_free. */
char* FprintDeviceTitle(FpDevice* device);

/* What the person is asked after libfprint's retry `code` (an FpDeviceRetry), in the words that the
 * program's catalogue translates; a code libfprint may add later asks to place the finger again. */
const char* FprintRetryPrompt(int code);

#endif /* VELMORA_PLUGINS_FPRINT_FPRINT_DEVICE_TEXT_H_ */
