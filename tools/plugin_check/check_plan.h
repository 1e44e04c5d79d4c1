// The checks of velmora-plugin-check: the one list of their ids, the order they run in and what
// each needs, and the run over all of them. The ids are stable (scripts may rely on them); the
// manual page's table lists them in this order, which its test compares. A check whose
// prerequisite did not pass (or warn) is skipped and says why; --no-capture skips those that need
// a finger on the reader.
//
// Thread rules: main thread only, with no other thread running: every check is a forked child.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_CHECK_PLAN_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_CHECK_PLAN_H_

#include <span>
#include <string>
#include <vector>

#include "tools/plugin_check/check_options.h"
#include "tools/plugin_check/check_verdict.h"

struct CheckContext;

// One check in the list.
struct PlannedCheck {
  const char* id;
  CheckVerdict (*body)(const CheckContext&);
  const char* needs;  // the check that must have passed or warned first, or null
  bool needsFinger;   // a capture must succeed: skipped with --no-capture
};

// Every check, in the order the program meets the calls: binding, discovery, capture, the
// process's end.
std::span<const PlannedCheck> CheckList();

// Runs every check on options.library, each in a child of its own. False, with the loader's
// message in *unopenable, when the library cannot be opened at all; no check then gives a report.
bool RunPluginChecks(const CheckOptions& options, std::vector<CheckReport>* reports, std::string* unopenable);

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_CHECK_PLAN_H_
