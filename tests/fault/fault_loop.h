// The loop of an allocation fault test: the same pass with the 1st, the 2nd, ... allocation failed,
// until a pass runs without meeting a failure.
//
// Test support only.
#ifndef VELMORA_TESTS_FAULT_FAULT_LOOP_H_
#define VELMORA_TESTS_FAULT_FAULT_LOOP_H_

#include <gtest/gtest.h>
#include <stddef.h>

#include <string>

#include "tests/fault/fault_alloc.h"

namespace velmora::fault {

// Far more allocations than any operation under test makes; a loop that gets here never ends.
inline constexpr size_t kMaxFaultPoints = 100000;

inline const char* ModeName(FaultMode mode) { return mode == FaultMode::kOnce ? "once" : "from then on"; }

// Calls `pass(n)`, which runs the operation under an AllocationFault(n, mode), checks the outcome
// and gives the fault's Stop(), for n = 1, 2, ... until a pass gives false (no allocation failed).
// Gives the number of fault points, the passes that did fail one. Stops at the first pass that
// records a test failure: later points would mostly repeat it.
template <typename Pass>
size_t ForEachFaultPoint(FaultMode mode, Pass pass) {
  for (size_t n = 1; n <= kMaxFaultPoints; ++n) {
    SCOPED_TRACE(std::string("allocation ") + std::to_string(n) + " failed, " + ModeName(mode));
    bool struck = pass(n);
    if (testing::Test::HasFailure()) return n;
    if (!struck) return n - 1;
  }
  ADD_FAILURE() << "still failing allocations after " << kMaxFaultPoints << " passes";
  return kMaxFaultPoints;
}

// Fails the current test when LeakSanitizer, where the build has it, finds a leak now.
inline void ExpectNoLeak() { EXPECT_FALSE(LeakCheckFails()) << "LeakSanitizer found a leak (report above)"; }

}  // namespace velmora::fault

#endif  // VELMORA_TESTS_FAULT_FAULT_LOOP_H_
