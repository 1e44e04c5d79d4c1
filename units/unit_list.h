// The unit discovery and the process-wide UnitList.
//
// EnumerateUnits turns the plug-in catalogue of the configuration root into units: every entry
// whose Type has bit 0 set is loaded and bound, and each unit that its FpxEnumUnits lists becomes
// a BioUnitImpl; each entry goes through DiscoverEntry (entry_discovery.h). Units come in
// catalogue order and, within one plug-in, in the plug-in's order.
// A library stays loaded while one of its units lives.
//
// Thread rules: discovery, installation and destruction run on the main thread before and after
// any worker; UnitList is not changed in between, so reading it needs no lock.
#ifndef VELMORA_UNITS_UNIT_LIST_H_
#define VELMORA_UNITS_UNIT_LIST_H_

#include <memory>
#include <vector>

#include "units/bio_unit.h"

using UnitSequence = std::vector<std::shared_ptr<BioUnit>>;

// The units of the plug-ins of the configuration root (kConfigRoot of install_paths.h). Throws
// std::runtime_error("FpxGetInfo failed") when a plug-in cannot describe one of its units; everything
// acquired so far (units, libraries) is released before the error leaves. Plug-ins that cannot be loaded,
// bound or enumerated are skipped silently; entries whose files someone else could change (see
// plugin_trust.h) are skipped with one line on standard error.
UnitSequence EnumerateUnits();

// As EnumerateUnits, over another configuration root (tests, velmora-units).
UnitSequence EnumerateUnitsAt(const char* root);

// The process-wide list: empty at start. At process exit, however the process ends, its
// libraries are closed by CloseUnitsAtExit before their own exit-time destructors could run; when
// a call is still inside one of them, the process ends at that point with its exit status
// (_exit, after flushing the standard streams), so that no destructor of a plug-in runs under a
// call. Its storage and units are never destroyed: a thread that the process outran may still
// hold the first unit.
extern UnitSequence& UnitList;

// As the process ends: closes the library of each unit once its last unit in `units` is reached,
// first to last, so libraries go in the order of their last units. An idle library is unloaded;
// one that is inside an entry point stays loaded until the process is gone. Either way the
// library's units give kPluginClosedStatus from then on instead of calling it. The units
// themselves stay valid. False when a library was left loaded under a call.
bool CloseUnitsAtExit(const UnitSequence& units);

// Makes `units` the content of UnitList, then releases what it held before, first to last. Call it
// after loading the plug-ins: the exit-time close of UnitList is set up to run before every exit
// handler registered until then.
void InstallUnitList(UnitSequence units);

// The number of units in UnitList.
long UnitListCount();

// The first unit of UnitList, or null when it is empty. UnitList keeps it alive until exit.
BioUnit* UnitListFirst();

#endif  // VELMORA_UNITS_UNIT_LIST_H_
