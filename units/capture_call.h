// The capture as the program calls it: FpxConnect with the values the program passes, one
// FpxSensorCaptureSample with its values, FpxDisconnect. The capture worker, velmora-plugin-check
// and the benchmarks call a plug-in through these, so all of them pass the same values.
//
// Thread rules: as the entry points they call (fpx_plugin.h): Disconnect may come from another
// thread while Connect or Capture runs; nothing here holds state.
#ifndef VELMORA_UNITS_CAPTURE_CALL_H_
#define VELMORA_UNITS_CAPTURE_CALL_H_

#include <stdint.h>

class BioUnit;
struct PluginParams;

// The values that FpxConnect receives: the caller's, meaningless to the program.
struct ConnectValues {
  static constexpr int32_t kV1 = 0;
  static constexpr int32_t kV2 = 0;
  static constexpr int32_t kV3 = 0;
};

// The values that FpxSensorCaptureSample receives before its out-values: the plug-in's own.
struct CaptureValues {
  static constexpr int32_t kV1 = 2;
  static constexpr int32_t kV2 = 1;
};

// What one capture gave. `sample` and `sampleSize` are the plug-in's out-values, read only when
// `status` is 0; the bytes belong to the plug-in and stay valid until the next capture on the
// unit, its disconnect or the library's unload (fpx_plugin.h), so a caller copies them first.
struct CapturedSample {
  int32_t status = -1;
  unsigned char* sample = nullptr;
  int32_t sampleSize = 0;
};

// FpxConnect with ConnectValues; its status.
int32_t ConnectForCapture(BioUnit& unit);
int32_t ConnectForCapture(PluginParams& plugin, uint32_t unitId);

// FpxSensorCaptureSample with CaptureValues; the reserved out-value is never read.
CapturedSample CaptureSample(BioUnit& unit);
CapturedSample CaptureSample(PluginParams& plugin, uint32_t unitId);

#endif  // VELMORA_UNITS_CAPTURE_CALL_H_
