#include "tools/plugin_check/plugin_session.h"

#include <stdexcept>
#include <string>

#include "tools/plugin_check/plugin_text.h"
#include "units/entry_discovery.h"
#include "units/plugin_units.h"

std::shared_ptr<PluginParams> BindForCheck(const CheckContext& context) {
  context.channel.Step("loading and binding the library");
  std::string why;
  std::shared_ptr<PluginParams> plugin = BindPluginExplained(context.options.library.c_str(), &why);
  if (plugin == nullptr) throw std::runtime_error(why);
  return plugin;
}

UnitIds CallEnumUnits(PluginParams& plugin, const CheckContext& context) {
  UnitIds list;
  context.channel.Step("FpxEnumUnits");
  list.seen.result = plugin.FpxEnumUnits(&list.raw, &list.seen.count);
  list.seen.listGiven = list.raw != nullptr;
  if (list.seen.result != 0 || !IdListFaults(list.seen).empty()) return list;
  context.channel.Step("reading the id list of FpxEnumUnits");
  list.seen.ids.assign(list.raw, list.raw + list.seen.count);
  return list;
}

UnitIds ListUnitIds(PluginParams& plugin, const CheckContext& context) {
  UnitIds list = CallEnumUnits(plugin, context);
  std::vector<std::string> faults = IdListFaults(list.seen);
  if (!faults.empty()) throw std::runtime_error(faults.front());
  return list;
}

void ReleaseUnitIds(PluginParams& plugin, UnitIds& list, const CheckContext& context) {
  context.channel.Step(list.raw != nullptr ? "FpxFree(id list)" : "FpxFree(NULL), the id list of no unit");
  plugin.FpxFree(list.raw);
  list.raw = nullptr;
}

CheckedUnits DiscoverCheckedUnit(const CheckContext& context, CheckVerdict* verdict) {
  CheckedUnits found;
  found.plugin = BindForCheck(context);
  context.channel.Step("the program's discovery: FpxEnumUnits, FpxGetInfo, FpxFree");
  if (EnumeratePluginUnits(found.plugin, found.units) != 0) throw std::runtime_error("FpxEnumUnits failed");
  if (found.units.empty()) {
    verdict->Add(CheckResult::kSkip, "the plug-in lists no unit");
    return found;
  }
  std::vector<uint32_t> ids;
  for (const std::shared_ptr<BioUnit>& unit : found.units) ids.push_back(DiscoveredUnitId(*unit));
  found.id = context.options.hasUnit ? context.options.unit : ids.front();
  for (size_t i = 0; i < ids.size() && found.unit == nullptr; ++i)
    if (ids[i] == found.id) found.unit = found.units[i].get();
  if (found.unit == nullptr)
    verdict->Add(CheckResult::kSkip, "no unit " + std::to_string(found.id) + " among the listed units " +
                                         IdList(ids.data(), ids.size()));
  return found;
}

CheckedUnits& DiscoverLastingUnit(const CheckContext& context, CheckVerdict* verdict) {
  return *new CheckedUnits(DiscoverCheckedUnit(context, verdict));
}
