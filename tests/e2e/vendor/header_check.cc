// The installed plug-in header compiles as C++, and a C++ plug-in can define an entry point
// against its prototype (which only works when the header gives it C linkage).
#include <velmora/fpx_plugin.h>

static_assert(sizeof(UnitInfo) == 2 * sizeof(char*) + 4 * sizeof(int32_t),
              "UnitInfo is packed as documented");

int32_t FpxFree(void* memory) { return memory == nullptr ? 0 : 1; }

FpxFreeFn HeaderCheckEntry() { return &FpxFree; }
