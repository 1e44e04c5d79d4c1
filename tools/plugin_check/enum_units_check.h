// enum-units: the id list of FpxEnumUnits as the program's discovery reads it, measured in a
// child and judged apart from the plug-in. free-null, which needs only a usable list, is here too.
//
// Thread rules: none; the judging is a pure function.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_ENUM_UNITS_CHECK_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_ENUM_UNITS_CHECK_H_

#include "tools/plugin_check/check_verdict.h"
#include "tools/plugin_check/unit_id_list.h"

// The faults fail; an id listed twice or an empty list warns; a pass lists the ids.
CheckVerdict JudgeEnumUnits(const EnumUnitsSeen& seen);

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_ENUM_UNITS_CHECK_H_
