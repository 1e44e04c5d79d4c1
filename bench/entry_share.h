// What the libfprint catalogue entry adds to the program's start-up: EnumerateUnitsAt timed in a
// fresh process (this program again, with kEntryShareChild), as every start of the program finds
// libfprint unloaded, over a root holding only the simulator or the simulator and the fprint
// entry. Both roots see libfprint's virtual reader only (FP_DRIVERS_WHITELIST, inherited).
//
// Benchmark only; one thread.
#ifndef VELMORA_BENCH_ENTRY_SHARE_H_
#define VELMORA_BENCH_ENTRY_SHARE_H_

#include <string>
#include <vector>

namespace velmora::bench {

constexpr const char* kEntryShareChild = "--enumerate-child";

// The child's side: times one EnumerateUnitsAt(root), prints "<milliseconds> <units>", gives 0.
int EnumerateChild(const char* root);

// A configuration root below `dir` whose catalogue lists `libraries` in that order; gives its path.
std::string EntryRoot(const std::string& dir, const std::vector<std::string>& libraries);

// Runs the child on `root` and gives its milliseconds. Throws std::runtime_error when it fails or
// finds other than `units` units.
double TimedEnumeration(const std::string& root, size_t units);

}  // namespace velmora::bench

#endif  // VELMORA_BENCH_ENTRY_SHARE_H_
