// get-info and get-info-unknown-id: FpxGetInfo as the program's discovery calls it, measured in a
// child and judged apart from the plug-in.
//
// Thread rules: none; the judging is a pure function.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_GET_INFO_CHECK_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_GET_INFO_CHECK_H_

#include <stdint.h>

#include <string>
#include <vector>

#include "tools/plugin_check/check_verdict.h"

// A text longer than this is taken as one without its NUL.
constexpr size_t kTextBound = 4096;

// One text of a unit, read before it went back to FpxFree.
struct UnitTextSeen {
  bool unset = false;      // FpxGetInfo left the field as the checker had filled it
  bool none = false;       // null
  bool terminated = true;  // a NUL within kTextBound bytes
  std::string shown;       // quoted (QuoteBytes)
};

// What FpxGetInfo gave for one listed unit; the texts and values only when `result` is 0.
struct UnitInfoSeen {
  uint32_t id = 0;
  int32_t result = 0;
  UnitTextSeen texts[2];
  int32_t values[4] = {};
};

// The value that FpxGetInfo finds in each value field: one it leaves alone is still this.
constexpr int32_t kUnsetValue = 0x5a5a5a5a;

// No unit skips; a failed call, an unset or unterminated text fails; a value left alone warns.
CheckVerdict JudgeGetInfo(const std::vector<UnitInfoSeen>& units);

// FpxGetInfo for unlisted `id` returned `result`: 0 warns.
CheckVerdict JudgeGetInfoUnknownId(uint32_t id, int32_t result);

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_GET_INFO_CHECK_H_
