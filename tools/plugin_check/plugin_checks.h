// The checks of velmora-plugin-check. Each one runs in a child process of its own
// (check_child.h), loads the library there through the program's own binding, says each step it
// takes on the channel, and hands what it measured to its judging function (the header beside
// each check's file), which gives the verdict. check_plan.h lists them with their ids, order and
// what each needs.
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

// Each entry point of units/entry_points.h resolves as the binding resolves it, and which form
// the program binds. Sets `unopenable` when the loader cannot open the library.
CheckVerdict CheckEntryPoints(const CheckContext& context);

// FpxEnumUnits succeeds with a list that matches its count; the list goes back to FpxFree.
CheckVerdict CheckEnumUnits(const CheckContext& context);

// FpxFree(NULL) returns.
CheckVerdict CheckFreeNull(const CheckContext& context);

// FpxGetInfo succeeds for every listed unit and sets all six fields; the texts end within
// kTextBound and go back to FpxFree.
CheckVerdict CheckGetInfo(const CheckContext& context);

// FpxGetInfo for an id that is not listed returns, preferably non-zero.
CheckVerdict CheckGetInfoUnknownId(const CheckContext& context);

// The worker's calls (units/capture_call.h), and the sample as the program copies it into the
// parent's record.
CheckVerdict CheckCaptureSequence(const CheckContext& context);

// Disconnect from a second thread ends a running capture within kDisconnectBound.
CheckVerdict CheckDisconnectDuringCapture(const CheckContext& context);

// A capture that starts after a Disconnect returns non-zero at once.
CheckVerdict CheckCaptureAfterDisconnect(const CheckContext& context);

// kMeasuredCycles connect, capture and disconnect cycles leave the open descriptors and the heap
// as they were.
CheckVerdict CheckCycles(const CheckContext& context);

// A plug-in that exports FpxSetPromptSink hands the sink, during a capture, only texts that end
// within kPromptCapacity bytes and are UTF-8, and calls it no more once FpxDisconnect returned.
CheckVerdict CheckPrompts(const CheckContext& context);

// The library loaded, unloaded and loaded again in one process still lists its units.
CheckVerdict CheckReload(const CheckContext& context);

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_PLUGIN_CHECKS_H_
