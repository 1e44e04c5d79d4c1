#include "units/unit_list.h"

#include "units/plugin_catalogue.h"
#include "units/plugin_units.h"

namespace {

// Releases the units first to last, so that libraries go in the order of their last units
// whatever order the container's own destructor would choose.
void ReleaseInOrder(UnitSequence& units) {
  for (std::shared_ptr<BioUnit>& unit : units) unit.reset();
  units.clear();
}

void AddUnitsOf(const PluginEntry& entry, UnitSequence& units) {
  if ((entry.typeFlags & 1) == 0) return;
  std::shared_ptr<PluginParams> params = BindPlugin(entry.libraryPath.c_str());
  if (params == nullptr) return;
  EnumeratePluginUnits(params, units);
}

}  // namespace

UnitSequence EnumerateUnitsAt(const char* root) {
  UnitSequence units;
  try {
    PluginEntryList entries;
    PluginCatalogueAt(root, entries);
    for (const PluginEntry& entry : entries) AddUnitsOf(entry, units);
  } catch (...) {
    ReleaseInOrder(units);
    throw;
  }
  return units;
}

UnitSequence EnumerateUnits() { return EnumerateUnitsAt(kPluginCatalogueRoot); }

UnitSequence UnitList;

namespace {

// Constructed after UnitList, so destroyed before it at exit: it empties the list in order.
struct UnitListRelease {
  ~UnitListRelease() { ReleaseInOrder(UnitList); }
} unitListRelease;

}  // namespace

void InstallUnitList(UnitSequence units) {
  UnitList.swap(units);
  ReleaseInOrder(units);
}

long UnitListCount() { return static_cast<long>(UnitList.size()); }

BioUnit* UnitListFirst() { return UnitList.empty() ? nullptr : UnitList.front().get(); }
