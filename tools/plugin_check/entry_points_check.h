// entry-points: which form of each entry point a library exports and which one the program binds
// (units/entry_points.h), measured in a child and judged apart from the library.
//
// Thread rules: none; the judging is a pure function.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_ENTRY_POINTS_CHECK_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_ENTRY_POINTS_CHECK_H_

#include <string>
#include <vector>

#include "tools/plugin_check/check_verdict.h"

// What the library exports for one entry point.
struct ExportedEntryPoint {
  std::string name;
  bool required = true;
  bool underscored = false;  // the underscore form exists
  bool plain = false;        // the plain form exists
  bool different = false;    // both exist and are different functions
};

// A missing required entry point fails; both forms as different functions warn; a pass names
// the forms that bound.
CheckVerdict JudgeEntryPoints(const std::vector<ExportedEntryPoint>& exported);

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_ENTRY_POINTS_CHECK_H_
