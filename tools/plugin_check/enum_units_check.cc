// enum-units and free-null: the first calls of the program's discovery.
#include "tools/plugin_check/enum_units_check.h"

#include <set>

#include "tools/plugin_check/plugin_checks.h"
#include "tools/plugin_check/plugin_session.h"
#include "tools/plugin_check/plugin_text.h"

namespace {

std::string Units(uint32_t count) { return std::to_string(count) + (count == 1 ? " unit" : " units"); }

void JudgeUsableList(const EnumUnitsSeen& seen, CheckVerdict& verdict) {
  std::set<uint32_t> listed;
  for (uint32_t id : seen.ids)
    if (!listed.insert(id).second)
      verdict.Add(CheckResult::kWarn, "unit " + std::to_string(id) +
                                          " is listed more than once: the program makes a unit of each");
  if (seen.ids.empty())
    verdict.Add(CheckResult::kWarn,
                "no unit listed: the program unloads the plug-in again, and no unit can be checked");
  verdict.Add(CheckResult::kPass, Units(seen.count) + ": " + IdList(seen.ids.data(), seen.ids.size()));
}

}  // namespace

std::vector<std::string> IdListFaults(const EnumUnitsSeen& seen) {
  if (seen.result != 0)
    return {"FpxEnumUnits returned " + std::to_string(seen.result) +
            " (expected 0): the program skips the plug-in"};
  std::vector<std::string> faults;
  if (seen.count > kMaxUnits)
    faults.push_back("FpxEnumUnits reported " + Units(seen.count) + ", more than " +
                     std::to_string(kMaxUnits) + ": taken as a broken count");
  if (seen.count > 0 && !seen.listGiven)
    faults.push_back("FpxEnumUnits reported " + Units(seen.count) +
                     " but no list: the program makes no unit of them");
  return faults;
}

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
