// What the checks do first in their child: load the library through the program's binding, ask
// for the id list, or make the units as the program's discovery makes them.
//
// Thread rules: the child's main thread, like the program's discovery.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_PLUGIN_SESSION_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_PLUGIN_SESSION_H_

#include <stdint.h>

#include <memory>
#include <vector>

#include "tools/plugin_check/plugin_checks.h"
#include "tools/plugin_check/unit_id_list.h"
#include "units/bio_unit.h"
#include "units/plugin_binding.h"
#include "units/unit_list.h"

// The library bound by BindPluginExplained. Throws std::runtime_error with the binding's reason
// when it does not bind (entry-points has failed then, and no later check should run).
std::shared_ptr<PluginParams> BindForCheck(const CheckContext& context);

// The id list of one FpxEnumUnits call. `raw` is the plug-in's list, to be handed back.
struct UnitIds {
  uint32_t* raw = nullptr;
  EnumUnitsSeen seen;
};

// Calls FpxEnumUnits, and copies the ids when the list is usable (IdListFaults).
UnitIds CallEnumUnits(PluginParams& plugin, const CheckContext& context);

// As CallEnumUnits. Throws std::runtime_error with the faults when the list is unusable
// (enum-units has failed then).
UnitIds ListUnitIds(PluginParams& plugin, const CheckContext& context);

// Hands the list back to FpxFree, as the discovery does.
void ReleaseUnitIds(PluginParams& plugin, UnitIds& list, const CheckContext& context);

// The units of the plug-in, made by the program's discovery step (plugin_units.h), and the one
// the capture checks use: --unit's, or the first listed.
struct CheckedUnits {
  std::shared_ptr<PluginParams> plugin;
  UnitSequence units;
  BioUnit* unit = nullptr;
  uint32_t id = 0;
};

// Loads and discovers as the program does. Null `unit`, with a skip in *verdict, when the
// plug-in lists no unit or not the one asked for.
CheckedUnits DiscoverCheckedUnit(const CheckContext& context, CheckVerdict* verdict);

// As DiscoverCheckedUnit, for checks that may leave a capture thread inside the plug-in: the
// units are never released, so the library stays loaded until the child ends.
CheckedUnits& DiscoverLastingUnit(const CheckContext& context, CheckVerdict* verdict);

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_PLUGIN_SESSION_H_
