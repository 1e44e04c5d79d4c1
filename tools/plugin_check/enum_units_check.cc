// enum-units and free-null: the first calls of the program's discovery.
#include "tools/plugin_check/enum_units_check.h"

#include <set>

#include "tools/plugin_check/plugin_checks.h"
#include "tools/plugin_check/plugin_session.h"
#include "tools/plugin_check/plugin_text.h"

namespace {

void JudgeUsableList(const EnumUnitsSeen& seen, CheckVerdict& verdict) {
  std::set<uint32_t> listed;
  for (uint32_t id : seen.ids)
    if (!listed.insert(id).second)
      verdict.Add(CheckResult::kWarn, "unit " + std::to_string(id) +
                                          " is listed more than once: the program makes a unit of each");
  if (seen.ids.empty())
    verdict.Add(CheckResult::kWarn,
                "no unit listed: the program unloads the plug-in again, and no unit can be checked");
  verdict.Add(CheckResult::kPass,
              UnitCountText(seen.count) + ": " + IdList(seen.ids.data(), seen.ids.size()));
}

}  // namespace

CheckVerdict JudgeEnumUnits(const EnumUnitsSeen& seen) {
  CheckVerdict verdict;
  for (const std::string& fault : IdListFaults(seen)) verdict.Add(CheckResult::kFail, fault);
  if (verdict.result != CheckResult::kFail) JudgeUsableList(seen, verdict);
  return verdict;
}

CheckVerdict CheckEnumUnits(const CheckContext& context) {
  std::shared_ptr<PluginParams> plugin = BindForCheck(context);
  UnitIds list = CallEnumUnits(*plugin, context);
  if (list.seen.result == 0) ReleaseUnitIds(*plugin, list, context);
  return JudgeEnumUnits(list.seen);
}

CheckVerdict CheckFreeNull(const CheckContext& context) {
  std::shared_ptr<PluginParams> plugin = BindForCheck(context);
  UnitIds list = ListUnitIds(*plugin, context);
  ReleaseUnitIds(*plugin, list, context);
  context.channel.Step("FpxFree(NULL)");
  plugin->FpxFree(nullptr);
  return CheckVerdict();
}
