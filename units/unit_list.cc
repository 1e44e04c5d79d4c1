#include "units/unit_list.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <iterator>

#include "install_paths.h"
#include "units/bio_unit_impl.h"
#include "units/entry_discovery.h"
#include "units/plugin_catalogue.h"
#include "units/plugin_trust.h"

namespace {

// Releases the units first to last, so that libraries go in the order of their last units
// whatever order the container's own destructor would choose.
void ReleaseInOrder(UnitSequence& units) {
  for (std::shared_ptr<BioUnit>& unit : units) unit.reset();
  units.clear();
}

// Appends the units of `entry` to `units`. An entry whose files someone else could change is
// refused with one line; every other skipped entry (a file that cannot be examined among them) is
// left out silently.
void AddUnitsOf(const char* root, const PluginEntry& entry, UnitSequence& units) {
  EntryDiscovery found = DiscoverEntry(root, entry);
  if (found.kind == EntryDiscovery::kUntrusted)
    fprintf(stderr, "%s: %s: %s, plug-in entry skipped\n", program_invocation_short_name,
            found.trust.file.c_str(), found.trust.reason.c_str());
  units.insert(units.end(), std::make_move_iterator(found.units.begin()),
               std::make_move_iterator(found.units.end()));
}

}  // namespace

UnitSequence EnumerateUnitsAt(const char* root) {
  UnitSequence units;
  try {
    PluginEntryList entries;
    PluginCatalogueAt(root, entries);
    for (const PluginEntry& entry : entries) AddUnitsOf(root, entry, units);
  } catch (...) {
    ReleaseInOrder(units);
    throw;
  }
  return units;
}

UnitSequence EnumerateUnits() { return EnumerateUnitsAt(kConfigRoot); }

namespace {

// The library of units[index] when no later unit shares it, else null.
PluginParams* LibraryLastUsedAt(const UnitSequence& units, size_t index) {
  const auto* unit = dynamic_cast<const BioUnitImpl*>(units[index].get());
  if (unit == nullptr) return nullptr;
  for (size_t later = index + 1; later < units.size(); ++later) {
    const auto* other = dynamic_cast<const BioUnitImpl*>(units[later].get());
    if (other != nullptr && other->Params() == unit->Params()) return nullptr;
  }
  return unit->Params().get();
}

}  // namespace

bool CloseUnitsAtExit(const UnitSequence& units) {
  bool allIdle = true;
  for (size_t i = 0; i < units.size(); ++i)
    if (PluginParams* library = LibraryLastUsedAt(units, i)) allIdle = library->CloseAtExit() && allIdle;
  return allIdle;
}

UnitSequence& UnitList = *new UnitSequence;

namespace {

// Registered at static initialisation, so it runs at exit whether main returns or anything calls
// exit(); it unloads no library under a running call and frees no unit another thread may hold.
struct UnitListRelease {
  ~UnitListRelease() { CloseUnitsAtExit(UnitList); }
} g_UnitListRelease;

}  // namespace

namespace {

// Exit handlers run in the reverse order of their registration, and a plug-in's own (its C++
// static destructors) were registered as it loaded, before its units were installed: this one
// comes first. Run under a call that is still inside the library, those destructors could block
// for good or pull the library's state from under the call, so then the process ends here, with
// the status it was given, and runs no further handler.
void CloseUnitsBeforePluginsExit(int status, void*) {
  if (CloseUnitsAtExit(UnitList)) return;
  fflush(nullptr);
  _exit(status);
}

}  // namespace

void InstallUnitList(UnitSequence units) {
  UnitList.swap(units);
  ReleaseInOrder(units);
  // Without it (no memory for the handler) the exit-time close above still keeps busy libraries
  // mapped.
  on_exit(CloseUnitsBeforePluginsExit, nullptr);
}

long UnitListCount() { return static_cast<long>(UnitList.size()); }

BioUnit* UnitListFirst() { return UnitList.empty() ? nullptr : UnitList.front().get(); }
