#include "tools/units/unit_report.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "config/config_store.h"
#include "units/bio_unit_impl.h"
#include "units/plugin_binding.h"
#include "units/plugin_catalogue.h"
#include "units/plugin_trust.h"
#include "units/plugin_units.h"

namespace {

// Units of the discovery are always BioUnitImpl; the id is shown so a vendor can match it.
void PrintUnit(const BioUnit& unit, FILE* out) {
  uint32_t id = dynamic_cast<const BioUnitImpl&>(unit).UnitId();
  fprintf(out, "  unit %u: \"%s\", \"%s\", values %d %d %d %d\n", id, unit.GetText1().c_str(),
          unit.GetText2().c_str(), unit.GetValue1(), unit.GetValue2(), unit.GetValue3(), unit.GetValue4());
}

// The units of one bound plug-in, or the reason why it gives none.
long ReportPluginUnits(const std::shared_ptr<PluginParams>& params, FILE* out) {
  UnitSequence units;
  try {
    if (EnumeratePluginUnits(params, units) != 0) {
      fprintf(out, "  skipped: FpxEnumUnits failed\n");
      return 0;
    }
  } catch (const std::runtime_error& error) {
    fprintf(out, "  skipped: %s (velmora-capture stops its discovery here)\n", error.what());
    return 0;
  }
  if (units.empty()) fprintf(out, "  skipped: no units\n");
  for (const std::shared_ptr<BioUnit>& unit : units) PrintUnit(*unit, out);
  return static_cast<long>(units.size());
}

long ReportEntry(const char* root, const PluginEntry& entry, FILE* out) {
  fprintf(out, "entry \"%s\": library \"%s\", type %d\n", entry.entryName.c_str(), entry.libraryPath.c_str(),
          entry.typeFlags);
  if ((entry.typeFlags & 1) == 0) {
    fprintf(out, "  skipped: type bit 0 is clear\n");
    return 0;
  }
  // A file that cannot be examined cannot be loaded either: the loader's message tells more.
  TrustFinding trust = ExamineEntryFiles(root, entry);
  if (trust.kind == TrustFinding::kUntrusted) {
    fprintf(out, "  skipped: %s: %s\n", trust.file.c_str(), trust.reason.c_str());
    return 0;
  }
  std::string why;
  std::shared_ptr<PluginParams> params = BindPluginExplained(entry.libraryPath.c_str(), &why);
  if (params == nullptr) {
    fprintf(out, "  skipped: %s\n", why.c_str());
    return 0;
  }
  return ReportPluginUnits(params, out);
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
