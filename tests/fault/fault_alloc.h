// Allocation failures on demand, for tests that run one operation over and over, failing a
// different allocation each time, until a run meets no failure at all.
//
// Two builds, two ways in (fault_alloc_interpose.cc, fault_alloc_wrap.cc); this interface is the
// same for both. Test support only; one thread at a time: the operations under test run on the
// test's own thread while an injection is armed.
#ifndef VELMORA_TESTS_FAULT_FAULT_ALLOC_H_
#define VELMORA_TESTS_FAULT_FAULT_ALLOC_H_

#include <stddef.h>

namespace velmora::fault {

enum class FaultMode {
  kOnce,        // only the nth allocation fails
  kFromThenOn,  // the nth and every later one fail, as when memory has run out
};

// Arms on construction: allocations are counted from 1, the nth fails (and with kFromThenOn
// every later one), and every block allocated is recorded until Stop. Only one may exist at a time.
class AllocationFault {
 public:
  AllocationFault(size_t nth, FaultMode mode);
  ~AllocationFault();
  AllocationFault(const AllocationFault&) = delete;
  AllocationFault& operator=(const AllocationFault&) = delete;

  // Ends the failing and the recording; the recorded blocks that are freed later are still
  // crossed off. True when at least one allocation was failed. Later calls give the same answer.
  bool Stop();

  // The recorded blocks that are still allocated; 0 in sanitized builds, where LeakSanitizer
  // takes this part (see LeakCheckFails).
  size_t LiveBlocks() const;

  // The allocations counted since construction.
  size_t Counted() const;

 private:
  bool m_Struck = false;
  bool m_Stopped = false;
};

// Counts allocations without failing any while `counting` is true (for tests that show a path
// allocates nothing), or fails only the allocations of exactly `size` bytes while `size` is not 0.
void CountAllocations(bool counting);
size_t AllocationsCounted();
void FailAllocationsOfSize(size_t size);

// Whether this build records live blocks itself (plain builds) or leaves leaks to LeakSanitizer.
bool TracksLiveBlocks();

// Runs LeakSanitizer's check now where the build has it: true when it found a leak (and has
// written its report). False in builds without it.
bool LeakCheckFails();

}  // namespace velmora::fault

#endif  // VELMORA_TESTS_FAULT_FAULT_ALLOC_H_
