// The floor of the fprintd benchmark: a small program of ours that drives fprintd's first device
// with GDBus directly, on a system bus connection of its own as the plug-in has one: Claim(""),
// then VerifyStart("any") and the wait for the final VerifyStatus on a GMainContext of its own,
// VerifyStop, and Release. It makes no sample and writes no line.
//
// Benchmark only; thread rules as CaptureSide (capture_side.h).
#ifndef VELMORA_BENCH_FPRINTD_DIRECT_SIDE_H_
#define VELMORA_BENCH_FPRINTD_DIRECT_SIDE_H_

#include <gio/gio.h>

#include <string>

#include "bench/capture_side.h"

namespace velmora::bench {

class FprintdDirectSide : public CaptureSide {
 public:
  // Connects to the system bus and asks fprintd for its devices. Throws std::runtime_error
  // without a bus, without fprintd or without a device.
  FprintdDirectSide();
  ~FprintdDirectSide() override;
  bool Connect() override;
  bool Capture() override;  // true on verify-match
  bool Disconnect() override;

 private:
  // A call on the device, waited for on the own context; true when it succeeded.
  bool Call(const char* method, GVariant* args);
  static void OnStatus(GDBusConnection*, const char*, const char*, const char*, const char*,
                       GVariant* parameters, gpointer self);

  GDBusConnection* m_Bus = nullptr;
  GMainContext* m_Loop;
  std::string m_Device;
  bool m_Ended = false;  // the final status came; set on m_Loop
  bool m_Matched = false;
};

}  // namespace velmora::bench

#endif  // VELMORA_BENCH_FPRINTD_DIRECT_SIDE_H_
