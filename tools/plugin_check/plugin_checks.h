// The checks of velmora-plugin-check. Each one runs in a child process of its own
// (check_child.h), loads the library there through the program's own binding, says each step it
// takes on the channel and gives a verdict. check_plan.h gives their ids, order and what each
// needs.
//
// Thread rules: each runs on the child's main thread; some start threads of their own.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_PLUGIN_CHECKS_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_PLUGIN_CHECKS_H_

#include "tools/plugin_check/check_child.h"
#include "tools/plugin_check/check_options.h"
#include "tools/plugin_check/check_verdict.h"

struct CheckContext {
  const CheckOptions& options;
  const CheckChannel& channel;
};

// entry-points: each of the eight names resolves as LibraryResolve resolves it, and which form
// the program binds. Sets `unopenable` when the loader cannot open the library.
CheckVerdict CheckEntryPoints(const CheckContext& context);

// enum-units: FpxEnumUnits succeeds with a list that matches its count; the list goes back to FpxFree.
CheckVerdict CheckEnumUnits(const CheckContext& context);

// free-null: FpxFree(NULL) returns.
CheckVerdict CheckFreeNull(const CheckContext& context);

// get-info: FpxGetInfo succeeds for every listed unit and sets all six fields; the texts end
// within a sane length and go back to FpxFree.
CheckVerdict CheckGetInfo(const CheckContext& context);

// get-info-unknown-id: FpxGetInfo for an id that is not listed returns, preferably non-zero.
CheckVerdict CheckGetInfoUnknownId(const CheckContext& context);

// capture-sequence: the worker's Connect(0, 0, 0), SensorCaptureSample(2, 1, ...), Disconnect, and
// the sample as the program copies it into the parent's record.
CheckVerdict CheckCaptureSequence(const CheckContext& context);

// disconnect-during-capture: Disconnect from a second thread ends a running capture within 100 ms.
CheckVerdict CheckDisconnectDuringCapture(const CheckContext& context);

// capture-after-disconnect: a capture that starts after a Disconnect returns non-zero at once.
CheckVerdict CheckCaptureAfterDisconnect(const CheckContext& context);

// cycles: 20 Connect/capture/Disconnect cycles leave the open descriptors and the heap as they were.
CheckVerdict CheckCycles(const CheckContext& context);

// reload: the library loaded, unloaded and loaded again in one process still lists its units.
CheckVerdict CheckReload(const CheckContext& context);

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_PLUGIN_CHECKS_H_
