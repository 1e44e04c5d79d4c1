// The units of one bound plug-in: the step of an entry's discovery (entry_discovery.h) that asks
// a plug-in for its units.
//
// Thread rules: main thread only, like the discovery.
#ifndef VELMORA_UNITS_PLUGIN_UNITS_H_
#define VELMORA_UNITS_PLUGIN_UNITS_H_

#include <memory>

#include "units/plugin_binding.h"
#include "units/unit_list.h"

// Calls FpxEnumUnits and appends one BioUnitImpl per listed id to `units`, in the plug-in's
// order, then hands the id list to FpxFree (also when it lists no id). A count above 0 with a
// null list gives no unit. -1 when FpxEnumUnits fails: nothing is appended or freed. Throws
// std::runtime_error("FpxGetInfo failed") from unit construction; units appended before stay in
// `units` for the caller to release, and the id list is still handed back.
int EnumeratePluginUnits(const std::shared_ptr<PluginParams>& params, UnitSequence& units);

#endif  // VELMORA_UNITS_PLUGIN_UNITS_H_
