// Which errors of an open mean that another process holds the reader: the texts and codes that
// libgusb, libfprint's drivers, GIO and libfprint's virtual readers give.
#include "plugins/fprint/fprint_held.h"

#include <fprint.h>
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <gusb.h>

namespace {

struct HeldCase {
  GQuark domain;
  int code;
  const char* message;
  bool held;
};

TEST(FprintHeldTest, OnlyAnotherProcesssClaimIsHeld) {
  const HeldCase cases[] = {
      // libgusb 0.3 gives libusb's busy claim no code of its own
      {G_USB_DEVICE_ERROR, G_USB_DEVICE_ERROR_INTERNAL, "USB error on device 27c6:609c : Resource busy [-6]",
       true},
      {FP_DEVICE_ERROR, FP_DEVICE_ERROR_GENERAL,
       "Failed to claim interface: USB error on device 06cb:00bd : Resource busy [-6]", true},
      {FP_DEVICE_ERROR, FP_DEVICE_ERROR_PROTO, "claim failed: LIBUSB_ERROR_BUSY", true},
      {G_IO_ERROR, G_IO_ERROR_BUSY, "Device or resource busy", true},
      {G_IO_ERROR, G_IO_ERROR_ADDRESS_IN_USE,
       "Error binding to address (GUnixSocketAddress): Address already in use", true},
      {FP_DEVICE_ERROR, FP_DEVICE_ERROR_BUSY,
       "The device is still busy with another operation, please try again later.", false},
      {FP_DEVICE_ERROR, FP_DEVICE_ERROR_ALREADY_OPEN, "The device is already open.", false},
      {G_USB_DEVICE_ERROR, G_USB_DEVICE_ERROR_PERMISSION_DENIED,
       "USB error on device 27c6:609c : Access denied (insufficient permissions) [-3]", false},
      {G_USB_DEVICE_ERROR, G_USB_DEVICE_ERROR_NO_DEVICE,
       "USB error on device 27c6:609c : No such device (it may have been disconnected) [-4]", false},
      {G_IO_ERROR, G_IO_ERROR_CANCELLED, "Operation was cancelled", false},
      {G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED, "Error binding to address: Permission denied", false},
  };
  for (const HeldCase& c : cases) {
    g_autoptr(GError) error = g_error_new_literal(c.domain, c.code, c.message);
    EXPECT_EQ(FprintHeldElsewhere(error), c.held) << c.message;
  }
  EXPECT_FALSE(FprintHeldElsewhere(nullptr));
}

}  // namespace
