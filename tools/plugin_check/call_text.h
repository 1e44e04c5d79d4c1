// How the checker names a call to a plug-in in its steps and messages ("FpxGetInfo(3)",
// "FpxSensorCaptureSample(1, 2, 1, ...)"), with the values that units/capture_call.h passes.
//
// Thread rules: none, nothing is shared.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_CALL_TEXT_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_CALL_TEXT_H_

#include <stdint.h>

#include <string>

// `entry` with the unit id and `rest` (", 0, 0, 0") in parentheses.
std::string CallText(const char* entry, uint32_t id, const std::string& rest = "");

// FpxConnect and FpxSensorCaptureSample on unit `id` with the values the program passes.
std::string ConnectCallText(uint32_t id);
std::string CaptureCallText(uint32_t id);

// A status as the messages show it.
std::string StatusText(int32_t status);

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_CALL_TEXT_H_
