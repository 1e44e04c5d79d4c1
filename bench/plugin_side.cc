// The plug-in's side (plugin_side.h).
#include "bench/plugin_side.h"

#include <stdexcept>

namespace velmora::bench {

PluginSide::PluginSide(const char* libraryPath) : m_Plugin(BindPlugin(libraryPath)) {
  if (m_Plugin == nullptr) throw std::runtime_error("cannot bind the plug-in");
  uint32_t* ids = nullptr;
  uint32_t count = 0;
  if (m_Plugin->FpxEnumUnits(&ids, &count) != 0) throw std::runtime_error("FpxEnumUnits failed");
  m_Plugin->FpxFree(ids);
  if (count < 1) throw std::runtime_error("the plug-in lists no unit");
}

bool PluginSide::Connect() { return m_Plugin->FpxConnect(1, 0, 0, 0) == 0; }

bool PluginSide::Capture() {
  unsigned char* sample = nullptr;
  int32_t size = 0, reserved = 0;
  return m_Plugin->FpxSensorCaptureSample(1, 2, 1, &sample, &size, &reserved) == 0;
}

bool PluginSide::Disconnect() { return m_Plugin->FpxDisconnect(1) == 0; }

}  // namespace velmora::bench
