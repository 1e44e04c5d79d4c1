#include "tools/units/unit_report.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "config/config_store.h"
#include "units/entry_discovery.h"
#include "units/plugin_catalogue.h"

namespace {

// The id is shown so a vendor can match it.
void PrintUnit(const BioUnit& unit, FILE* out) {
  fprintf(out, "  unit %u: \"%s\", \"%s\", values %d %d %d %d\n", DiscoveredUnitId(unit),
          unit.GetText1().c_str(), unit.GetText2().c_str(), unit.GetValue1(), unit.GetValue2(),
          unit.GetValue3(), unit.GetValue4());
}

// Why the capture program skips an entry with the outcome `found`; empty when it has units.
std::string SkipReason(const EntryDiscovery& found) {
  switch (found.kind) {
    case EntryDiscovery::kUnits:
      return "";
    case EntryDiscovery::kNotBiometric:
      return "type bit 0 is clear";
    case EntryDiscovery::kUntrusted:
    case EntryDiscovery::kUnexamined:
      return found.trust.file + ": " + found.trust.reason;
    case EntryDiscovery::kNotBound:
      return found.why;
    case EntryDiscovery::kEnumFailed:
      return "FpxEnumUnits failed";
    case EntryDiscovery::kNoUnits:
      return "no units";
  }
  return "";
}

// The units of an entry, or the reason why it gives none; the number of units.
long PrintOutcome(const EntryDiscovery& found, FILE* out) {
  if (found.kind != EntryDiscovery::kUnits) fprintf(out, "  skipped: %s\n", SkipReason(found).c_str());
  for (const std::shared_ptr<BioUnit>& unit : found.units) PrintUnit(*unit, out);
  return static_cast<long>(found.units.size());
}

// The capture program stops at a plug-in that cannot describe a unit; the report goes on.
long ReportEntry(const char* root, const PluginEntry& entry, FILE* out) {
  fprintf(out, "entry \"%s\": library \"%s\", type %d\n", entry.entryName.c_str(), entry.libraryPath.c_str(),
          entry.typeFlags);
  fflush(out);  // what the plug-in says on standard error about its readers follows its heading
  try {
    return PrintOutcome(DiscoverEntryExplained(root, entry), out);
  } catch (const std::runtime_error& error) {
    fprintf(out, "  skipped: %s (velmora-capture stops its discovery here)\n", error.what());
    return 0;
  }
}

// Why the catalogue leaves out the root entry at `path`, or null when it does not.
const char* WhyNotCatalogued(const std::string& path) {
  ConfigHandle* entry = ConfigOpen(path.c_str());
  if (entry == nullptr) return "cannot be read (a folder needs a readable file \"conf\")";
  char value[256];
  int length = sizeof value;
  int32_t type = 0;
  const char* why = nullptr;
  if (ConfigGetValue(entry, "Name", value, &length) != 0)
    why = "no line \"Name: <library>\" (the key, a colon and one blank)";
  else if (ConfigGetInt(entry, "Type", &type) != 0)
    why = "no line \"Type: <number>\" (the key, a colon and one blank)";
  ConfigClose(entry);
  return why;
}

bool Catalogued(const PluginEntryList& entries, const char* name) {
  return std::any_of(entries.begin(), entries.end(),
                     [name](const PluginEntry& entry) { return entry.entryName == name; });
}

// The root's other entries, which are no catalogue entries at all: an installer must see them too.
void ReportPassedOver(ConfigHandle* store, const char* root, const PluginEntryList& entries, FILE* out) {
  char name[256];
  int length = sizeof name;
  for (int more = ConfigFirstEntry(store, name, &length); more == 0;
       more = ConfigNextEntry(store, name, &length), length = sizeof name) {
    if (Catalogued(entries, name)) continue;
    if (const char* why = WhyNotCatalogued(std::string(root) + "/" + name))
      fprintf(out, "entry \"%s\": not a catalogue entry\n  skipped: %s\n", name, why);
  }
}

}  // namespace

long ReportUnits(const char* root, FILE* out) {
  ConfigHandle* store = ConfigOpen(root);
  if (store == nullptr) {
    fprintf(out, "catalogue %s: not a configuration root (a folder holding a readable file \"conf\")\n",
            root);
    fprintf(out, "0 units found\n");
    return 0;
  }
  PluginEntryList entries;
  PluginCatalogueAt(root, entries);
  fprintf(out, "catalogue %s: %zu entries\n", root, entries.size());
  long found = 0;
  for (const PluginEntry& entry : entries) found += ReportEntry(root, entry, out);
  ReportPassedOver(store, root, entries, out);
  ConfigClose(store);
  fprintf(out, "%ld units found\n", found);
  return found;
}
