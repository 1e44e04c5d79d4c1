// enum-units: the id list of FpxEnumUnits as the program's discovery reads it, measured in a
// child and judged apart from the plug-in. free-null, which needs only a usable list, is here too.
//
// Thread rules: none; the judging is a pure function.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_ENUM_UNITS_CHECK_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_ENUM_UNITS_CHECK_H_

#include <stdint.h>

#include <string>
#include <vector>

#include "tools/plugin_check/check_verdict.h"

// The most ids that are read from a list; a larger count is taken as a broken one.
constexpr uint32_t kMaxUnits = 65536;

// What one FpxEnumUnits call gave.
struct EnumUnitsSeen {
  int32_t result = 0;
  uint32_t count = 0;
  bool listGiven = false;     // the list pointer was not null
  std::vector<uint32_t> ids;  // read only when the list is usable
};

// Why the program can use no list from `seen`: one text per fault, none for a usable list.
std::vector<std::string> IdListFaults(const EnumUnitsSeen& seen);

// The faults fail; an id listed twice or an empty list warns; a pass lists the ids.
CheckVerdict JudgeEnumUnits(const EnumUnitsSeen& seen);

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_ENUM_UNITS_CHECK_H_
