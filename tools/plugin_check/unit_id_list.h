// The id list that FpxEnumUnits gives, and why the program could use none: what the checker's
// session reads before any check uses a unit, and what the enum-units check judges.
//
// Thread rules: none; pure functions.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_UNIT_ID_LIST_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_UNIT_ID_LIST_H_

#include <stdint.h>

#include <string>
#include <vector>

// The most ids that are read from a list; a larger count is taken as a broken one.
constexpr uint32_t kMaxUnits = 65536;

// What one FpxEnumUnits call gave.
struct EnumUnitsSeen {
  int32_t result = 0;
  uint32_t count = 0;
  bool listGiven = false;     // the list pointer was not null
  std::vector<uint32_t> ids;  // read only when the list is usable
};

// "1 unit", "3 units".
std::string UnitCountText(long count);

// Why the program can use no list from `seen`: one text per fault, none for a usable list.
std::vector<std::string> IdListFaults(const EnumUnitsSeen& seen);

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_UNIT_ID_LIST_H_
