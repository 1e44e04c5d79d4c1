// reload: the library loaded, unloaded and loaded again in one process, measured in a child and
// judged apart from the plug-in.
//
// Thread rules: none; the judging is a pure function.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_RELOAD_CHECK_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_RELOAD_CHECK_H_

#include "tools/plugin_check/check_verdict.h"

struct ReloadSeen {
  long first = 0;       // units at the first load, -1 when FpxEnumUnits failed
  long second = 0;      // units at the second load, likewise
  bool stayed = false;  // the library was still mapped after its last close
};

// A failed second discovery fails; a different number of units warns.
CheckVerdict JudgeReload(const ReloadSeen& seen);

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_RELOAD_CHECK_H_
