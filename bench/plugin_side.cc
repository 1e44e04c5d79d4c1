// The plug-in's side (plugin_side.h).
#include "bench/plugin_side.h"

#include <stdexcept>

#include "units/capture_call.h"

namespace velmora::bench {

PluginSide::PluginSide(const char* libraryPath) : m_Plugin(BindPlugin(libraryPath)) {
  if (m_Plugin == nullptr) throw std::runtime_error("cannot bind the plug-in");
  uint32_t* ids = nullptr;
  uint32_t count = 0;
  if (m_Plugin->FpxEnumUnits(&ids, &count) != 0) throw std::runtime_error("FpxEnumUnits failed");
  m_Plugin->FpxFree(ids);
  if (count < 1) throw std::runtime_error("the plug-in lists no unit");
}

bool PluginSide::Connect() { return ConnectForCapture(*m_Plugin, 1) == 0; }

bool PluginSide::Capture() { return CaptureSample(*m_Plugin, 1).status == 0; }

bool PluginSide::Disconnect() { return m_Plugin->FpxDisconnect(1) == 0; }

}  // namespace velmora::bench
