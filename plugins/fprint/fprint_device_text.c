/* The reader's printed texts (fprint_device_text.h). */
#include "fprint_device_text.h"

#include "fprint_usb_device.h"

const char* FprintDeviceName(FpDevice* device) {
  const char* name = fp_device_get_name(device);
  return name != NULL ? name : "the reader";
}

char* FprintDeviceLabel(FpDevice* device) {
  const char* driver = fp_device_get_driver(device);
  const char* id = fp_device_get_device_id(device);
  return g_strdup_printf("%s/%s", driver != NULL ? driver : "", id != NULL ? id : "");
}

char* FprintDeviceTitle(FpDevice* device) {
  const char* driver = fp_device_get_driver(device);
  g_autofree char* ids = FprintUsbIds(device);
  return g_strdup_printf("%s (%s%s%s)", FprintDeviceName(device), driver != NULL ? driver : "",
                         ids != NULL ? ", " : "", ids != NULL ? ids : "");
}

const char* FprintRetryPrompt(int code) {
  switch (code) {
    case FP_DEVICE_RETRY_TOO_SHORT:
      return "Swipe your finger again, more slowly";
    case FP_DEVICE_RETRY_CENTER_FINGER:
      return "Centre your finger on the reader and try again";
    case FP_DEVICE_RETRY_REMOVE_FINGER:
      return "Lift your finger, then place it on the reader again";
    default: /* FP_DEVICE_RETRY_GENERAL */
      return "Place your finger on the reader again";
  }
}
