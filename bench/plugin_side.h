// The libfprint plug-in as the capture program drives it: loaded and bound from the build tree,
// FpxEnumUnits once, then FpxConnect(1, 0, 0, 0), FpxSensorCaptureSample(1, 2, 1, ...) and
// FpxDisconnect(1) for each run.
//
// Benchmark only; thread rules as CaptureSide (capture_side.h).
#ifndef VELMORA_BENCH_PLUGIN_SIDE_H_
#define VELMORA_BENCH_PLUGIN_SIDE_H_

#include <memory>

#include "bench/capture_side.h"
#include "units/plugin_binding.h"

namespace velmora::bench {

class PluginSide : public CaptureSide {
 public:
  // Loads the library and enumerates. Throws std::runtime_error when it finds no unit.
  explicit PluginSide(const char* libraryPath);
  bool Connect() override;
  bool Capture() override;
  bool Disconnect() override;

 private:
  std::shared_ptr<PluginParams> m_Plugin;
};

}  // namespace velmora::bench

#endif  // VELMORA_BENCH_PLUGIN_SIDE_H_
