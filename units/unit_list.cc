#include "units/unit_list.h"

#include <errno.h>
#include <stdio.h>

#include "units/bio_unit_impl.h"
#include "units/plugin_catalogue.h"
#include "units/plugin_trust.h"
#include "units/plugin_units.h"

namespace {

// Releases the units first to last, so that libraries go in the order of their last units
// whatever order the container's own destructor would choose.
void ReleaseInOrder(UnitSequence& units) {
  for (std::shared_ptr<BioUnit>& unit : units) unit.reset();
  units.clear();
}

// Files that someone else could change are refused with one line; files that cannot be examined
// are left out silently, like libraries that cannot be loaded.
bool Trusted(const char* root, const PluginEntry& entry) {
  TrustFinding finding = ExamineEntryFiles(root, entry);
  if (finding.kind == TrustFinding::kUntrusted)
    fprintf(stderr, "%s: %s: %s, plug-in entry skipped\n", program_invocation_short_name,
            finding.file.c_str(), finding.reason.c_str());
  return finding.kind == TrustFinding::kTrusted;
}

void AddUnitsOf(const char* root, const PluginEntry& entry, UnitSequence& units) {
  if ((entry.typeFlags & 1) == 0 || !Trusted(root, entry)) return;
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
    for (const PluginEntry& entry : entries) AddUnitsOf(root, entry, units);
  } catch (...) {
    ReleaseInOrder(units);
    throw;
  }
  return units;
}

UnitSequence EnumerateUnits() { return EnumerateUnitsAt(kPluginCatalogueRoot); }

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

void CloseUnitsAtExit(const UnitSequence& units) {
  for (size_t i = 0; i < units.size(); ++i)
    if (PluginParams* library = LibraryLastUsedAt(units, i)) library->CloseAtExit();
}

UnitSequence& UnitList = *new UnitSequence;

namespace {

// Registered at static initialisation, so it runs at exit whether main returns or anything calls
// exit(); it unloads no library under a running call and frees no unit another thread may hold.
struct UnitListRelease {
  ~UnitListRelease() { CloseUnitsAtExit(UnitList); }
} unitListRelease;

}  // namespace

void InstallUnitList(UnitSequence units) {
  UnitList.swap(units);
  ReleaseInOrder(units);
}

long UnitListCount() { return static_cast<long>(UnitList.size()); }

BioUnit* UnitListFirst() { return UnitList.empty() ? nullptr : UnitList.front().get(); }
