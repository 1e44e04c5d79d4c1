// The checks of velmora-plugin-check in the order they run, what each needs, and the run over all
// of them.
//
// Ids (stable; scripts may rely on them): entry-points, enum-units, free-null, get-info,
// get-info-unknown-id, capture-sequence, disconnect-during-capture, capture-after-disconnect,
// cycles, reload. A check whose prerequisite did not pass (or warn) is skipped and says why;
// --no-capture skips the two that need a finger on the reader (capture-sequence, cycles).
//
// Thread rules: main thread only, with no other thread running: every check is a forked child.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_CHECK_PLAN_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_CHECK_PLAN_H_

#include <string>
#include <vector>

#include "tools/plugin_check/check_options.h"
#include "tools/plugin_check/check_verdict.h"

// Runs every check on options.library, each in a child of its own. False, with the loader's
// message in *unopenable, when the library cannot be opened at all; no check then gives a report.
bool RunPluginChecks(const CheckOptions& options, std::vector<CheckReport>* reports, std::string* unopenable);

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_CHECK_PLAN_H_
