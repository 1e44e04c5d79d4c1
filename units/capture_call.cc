#include "units/capture_call.h"

#include "units/bio_unit.h"
#include "units/plugin_binding.h"

int32_t ConnectForCapture(BioUnit& unit) {
  return unit.Connect(ConnectValues::kV1, ConnectValues::kV2, ConnectValues::kV3);
}

int32_t ConnectForCapture(PluginParams& plugin, uint32_t unitId) {
  return plugin.FpxConnect(unitId, ConnectValues::kV1, ConnectValues::kV2, ConnectValues::kV3);
}

CapturedSample CaptureSample(BioUnit& unit) {
  CapturedSample captured;
  int32_t reserved = 0;
  captured.status = unit.SensorCaptureSample(CaptureValues::kV1, CaptureValues::kV2, &captured.sample,
                                             &captured.sampleSize, &reserved);
  return captured;
}

CapturedSample CaptureSample(PluginParams& plugin, uint32_t unitId) {
  CapturedSample captured;
  int32_t reserved = 0;
  captured.status = plugin.FpxSensorCaptureSample(unitId, CaptureValues::kV1, CaptureValues::kV2,
                                                  &captured.sample, &captured.sampleSize, &reserved);
  return captured;
}
