/* The installed plug-in header compiles as plain C on its own (also for 32-bit targets). */
#include <velmora/fpx_plugin.h>

static const FpxFreeFn kFreeEntry = 0;

int HeaderCheckUse(void) { return kFreeEntry == 0 && sizeof(UnitInfo) > 0; }
