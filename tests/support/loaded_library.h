// Whether a shared object is mapped in this process: how tests see that a plug-in library was
// loaded or unloaded, whatever the library itself reports.
//
// Test support only; any thread.
#ifndef VELMORA_TESTS_SUPPORT_LOADED_LIBRARY_H_
#define VELMORA_TESTS_SUPPORT_LOADED_LIBRARY_H_

#include <string>

namespace velmora::test {

// Whether the shared object at `path` (links resolved) is mapped in this process.
bool IsLoaded(const std::string& path);

}  // namespace velmora::test

#endif  // VELMORA_TESTS_SUPPORT_LOADED_LIBRARY_H_
