#include "tools/units/unit_report.h"

#include <stdexcept>
#include <string>

#include "units/bio_unit_impl.h"
#include "units/plugin_binding.h"
#include "units/plugin_catalogue.h"
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

long ReportEntry(const PluginEntry& entry, FILE* out) {
  fprintf(out, "entry \"%s\": library \"%s\", type %d\n", entry.entryName.c_str(), entry.libraryPath.c_str(),
          entry.typeFlags);
  if ((entry.typeFlags & 1) == 0) {
    fprintf(out, "  skipped: type bit 0 is clear\n");
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

}  // namespace

long ReportUnits(const char* root, FILE* out) {
  PluginEntryList entries;
  PluginCatalogueAt(root, entries);
  fprintf(out, "catalogue %s: %zu entries\n", root, entries.size());
  long found = 0;
  for (const PluginEntry& entry : entries) found += ReportEntry(entry, out);
  fprintf(out, "%ld units found\n", found);
  return found;
}
