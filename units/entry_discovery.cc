#include "units/entry_discovery.h"

#include <memory>

#include "units/bio_unit_impl.h"
#include "units/plugin_binding.h"
#include "units/plugin_units.h"

namespace {

// Whether the entry may go on to its library: files that pass may; a file that cannot be examined
// may only in an explained discovery, where the loader is asked what is wrong with it.
bool MayLoad(const TrustFinding& trust, bool explained) {
  return trust.kind == TrustFinding::kTrusted || (explained && trust.kind == TrustFinding::kMissing);
}

EntryDiscovery::Kind RefusalOf(const TrustFinding& trust) {
  return trust.kind == TrustFinding::kUntrusted ? EntryDiscovery::kUntrusted : EntryDiscovery::kUnexamined;
}

// Binds the entry's library and asks it for its units, into `found`. The discovery's own
// reference goes on return: a plug-in that gives no unit is unloaded then, and one that does stays
// loaded through its units.
void DiscoverLibrary(const PluginEntry& entry, bool explained, EntryDiscovery& found) {
  std::shared_ptr<PluginParams> params =
      BindPluginExplained(entry.libraryPath.c_str(), explained ? &found.why : nullptr);
  if (params == nullptr) {
    found.kind = EntryDiscovery::kNotBound;
  } else if (EnumeratePluginUnits(params, found.units) != 0) {
    found.kind = EntryDiscovery::kEnumFailed;
  } else {
    found.kind = found.units.empty() ? EntryDiscovery::kNoUnits : EntryDiscovery::kUnits;
  }
}

// The steps in order: type bit, files, library. An error thrown on the way releases `found`, and
// with it the units made so far, as it leaves.
EntryDiscovery Discover(const char* root, const PluginEntry& entry, bool explained) {
  EntryDiscovery found;
  found.kind = EntryDiscovery::kNotBiometric;
  if ((entry.typeFlags & 1) == 0) return found;
  found.trust = ExamineEntryFiles(root, entry);
  if (MayLoad(found.trust, explained)) {
    DiscoverLibrary(entry, explained, found);
  } else {
    found.kind = RefusalOf(found.trust);
  }
  return found;
}

}  // namespace

EntryDiscovery DiscoverEntry(const char* root, const PluginEntry& entry) {
  return Discover(root, entry, false);
}

EntryDiscovery DiscoverEntryExplained(const char* root, const PluginEntry& entry) {
  return Discover(root, entry, true);
}

uint32_t DiscoveredUnitId(const BioUnit& unit) { return dynamic_cast<const BioUnitImpl&>(unit).UnitId(); }
