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
