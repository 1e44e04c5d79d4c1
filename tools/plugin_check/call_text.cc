#include "tools/plugin_check/call_text.h"

#include "units/capture_call.h"
#include "velmora/fpx_plugin.h"

namespace {

std::string Values(std::initializer_list<int32_t> values) {
  std::string text;
  for (int32_t value : values) text += ", " + std::to_string(value);
  return text;
}

}  // namespace

std::string CallText(const char* entry, uint32_t id, const std::string& rest) {
  return std::string(entry) + "(" + std::to_string(id) + rest + ")";
}

std::string ConnectCallText(uint32_t id) {
  return CallText(FPX_CONNECT_NAME, id, Values({ConnectValues::kV1, ConnectValues::kV2, ConnectValues::kV3}));
}

std::string CaptureCallText(uint32_t id) {
  return CallText(FPX_SENSOR_CAPTURE_SAMPLE_NAME, id,
                  Values({CaptureValues::kV1, CaptureValues::kV2}) + ", ...");
}

std::string StatusText(int32_t status) { return std::to_string(status); }
