// cycles: what repeated connect, capture and disconnect cycles leave behind, measured in a child
// and judged apart from the plug-in.
//
// Thread rules: none; the judging is a pure function.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_CYCLES_CHECK_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_CYCLES_CHECK_H_

#include "tools/plugin_check/check_verdict.h"
#include "tools/plugin_check/process_usage.h"

// The first cycles may fill caches and start threads that stay; they are not counted.
constexpr int kWarmUpCycles = 3;
// The cycles between the two measurements.
constexpr int kMeasuredCycles = 20;
// The last cycle only ends the measured ones.
constexpr int kCycles = kWarmUpCycles + kMeasuredCycles + 1;
// Heap growth over the measured cycles: above the first a reader maker should look, above the
// second memory is lost in every cycle.
constexpr long long kHeapWarnBytes = 4 * 1024;
constexpr long long kHeapFailBytes = 64 * 1024;

struct CyclesSeen {
  ProcessUsage before;  // right after the first measured connect
  ProcessUsage after;   // right after the last cycle's connect
  int failed = 0;       // captures that did not succeed, of kCycles
};

// Two or more descriptors more, or heap growth above kHeapFailBytes, fail; less warns.
CheckVerdict JudgeCycles(const CyclesSeen& seen);

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_CYCLES_CHECK_H_
