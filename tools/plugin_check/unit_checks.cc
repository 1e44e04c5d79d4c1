// enum-units, free-null, get-info and get-info-unknown-id: the calls of the program's discovery.
#include <string.h>

#include <algorithm>
#include <set>
#include <string>

#include "tools/plugin_check/plugin_checks.h"
#include "tools/plugin_check/plugin_session.h"
#include "tools/plugin_check/plugin_text.h"

namespace {

// A text longer than this is taken as one without its NUL.
constexpr size_t kTextBound = 4096;
// What the fields of a UnitInfo hold before FpxGetInfo, to see which ones it left alone.
char* const kUnsetText = reinterpret_cast<char*>(static_cast<uintptr_t>(0x5a5a5a5a5a5a5a5aull));
constexpr int32_t kUnsetValue = 0x5a5a5a5a;

UnitInfo UnsetInfo() { return {kUnsetText, kUnsetText, kUnsetValue, kUnsetValue, kUnsetValue, kUnsetValue}; }

std::string Call(const char* entry, uint32_t id) {
  return std::string(entry) + "(" + std::to_string(id) + ")";
}

// One text of a unit: shown quoted, or "none"; checked for its end and handed back to FpxFree.
std::string TakeText(PluginParams& plugin, const char* text, const std::string& what,
                     const CheckContext& context, CheckVerdict& verdict) {
  if (text == kUnsetText) {
    verdict.Add(CheckResult::kFail, "FpxGetInfo left " + what + " unset");
    return "?";
  }
  if (text == nullptr) return "none";
  context.channel.Step("reading " + what);
  size_t length = strnlen(text, kTextBound);
  if (length == kTextBound)
    verdict.Add(CheckResult::kFail, what + " has no NUL within " + std::to_string(kTextBound) + " bytes");
  std::string shown = QuoteBytes(reinterpret_cast<const unsigned char*>(text), length);
  context.channel.Step("FpxFree(" + what + ")");
  plugin.FpxFree(const_cast<char*>(text));
  return shown;
}

// FpxGetInfo for one listed unit; its texts and values for the detail.
void DescribeUnit(PluginParams& plugin, uint32_t id, const CheckContext& context, CheckVerdict& verdict) {
  UnitInfo info = UnsetInfo();
  context.channel.Step(Call("FpxGetInfo", id));
  int32_t result = plugin.FpxGetInfo(id, &info);
  if (result != 0) {
    verdict.Add(CheckResult::kFail,
                Call("FpxGetInfo", id) + " returned " + std::to_string(result) +
                    " (expected 0): the program's discovery ends with \"FpxGetInfo failed\"" +
                    " and finds no unit at all");
    return;
  }
  std::string unit = "unit " + std::to_string(id);
  std::string text1 = TakeText(plugin, info.text1, "text1 of " + unit, context, verdict);
  std::string text2 = TakeText(plugin, info.text2, "text2 of " + unit, context, verdict);
  const int32_t values[] = {info.value1, info.value2, info.value3, info.value4};
  std::string shown;
  for (int i = 0; i < 4; ++i) {
    if (values[i] == kUnsetValue)
      verdict.Add(CheckResult::kWarn, Call("FpxGetInfo", id) + " may have left value" +
                                          std::to_string(i + 1) +
                                          " unset (it holds the caller's 0x5a5a5a5a)");
    shown += ' ';  // not `" " + std::to_string(...)`: g++ 12 -O3 takes that for an overlapping copy
    shown += std::to_string(values[i]);
  }
  verdict.Add(CheckResult::kPass, unit + ": " + text1 + ", " + text2 + ", values" + shown);
}

// An id that the list does not hold: one above the largest, or the smallest free one.
uint32_t UnlistedId(const std::vector<uint32_t>& ids) {
  if (ids.empty()) return 1;
  uint32_t largest = *std::max_element(ids.begin(), ids.end());
  if (largest < UINT32_MAX) return largest + 1;
  std::set<uint32_t> taken(ids.begin(), ids.end());
  uint32_t id = 0;
  while (taken.count(id) != 0) ++id;
  return id;
}

// The id list back to FpxFree, as the discovery hands it back after every successful FpxEnumUnits.
void HandBackIds(PluginParams& plugin, uint32_t* raw, const CheckContext& context) {
  context.channel.Step(raw != nullptr ? "FpxFree(id list)" : "FpxFree(NULL), the id list of no unit");
  plugin.FpxFree(raw);
}

}  // namespace

CheckVerdict CheckEnumUnits(const CheckContext& context) {
  std::shared_ptr<PluginParams> plugin = BindForCheck(context);
  CheckVerdict verdict;
  uint32_t* raw = nullptr;
  uint32_t count = 0;
  context.channel.Step("FpxEnumUnits");
  int32_t result = plugin->FpxEnumUnits(&raw, &count);
  if (result != 0) {
    verdict.Add(CheckResult::kFail, "FpxEnumUnits returned " + std::to_string(result) +
                                        " (expected 0): the program skips the plug-in");
    return verdict;
  }
  if (count > kMaxUnits)
    verdict.Add(CheckResult::kFail, "FpxEnumUnits reported " + std::to_string(count) + " units, more than " +
                                        std::to_string(kMaxUnits) + ": taken as a broken count");
  if (count > 0 && raw == nullptr)
    verdict.Add(CheckResult::kFail, "FpxEnumUnits reported " + std::to_string(count) +
                                        " units but no list: the program makes no unit of them");
  if (verdict.result == CheckResult::kFail) {
    HandBackIds(*plugin, raw, context);
    return verdict;
  }
  context.channel.Step("reading the id list of FpxEnumUnits");
  std::vector<uint32_t> ids(raw, raw + count);
  std::set<uint32_t> seen;
  for (uint32_t id : ids)
    if (!seen.insert(id).second)
      verdict.Add(CheckResult::kWarn, "unit " + std::to_string(id) +
                                          " is listed more than once: the program makes a unit of each");
  if (count == 0)
    verdict.Add(CheckResult::kWarn,
                "no unit listed: the program unloads the plug-in again, and no unit can be checked");
  HandBackIds(*plugin, raw, context);
  verdict.Add(CheckResult::kPass,
              std::to_string(count) + (count == 1 ? " unit: " : " units: ") + IdList(ids.data(), ids.size()));
  return verdict;
}

CheckVerdict CheckFreeNull(const CheckContext& context) {
  std::shared_ptr<PluginParams> plugin = BindForCheck(context);
  UnitIds list = ListUnitIds(*plugin, context);
  ReleaseUnitIds(*plugin, list, context);
  context.channel.Step("FpxFree(NULL)");
  plugin->FpxFree(nullptr);
  return CheckVerdict();
}

CheckVerdict CheckGetInfo(const CheckContext& context) {
  std::shared_ptr<PluginParams> plugin = BindForCheck(context);
  UnitIds list = ListUnitIds(*plugin, context);
  CheckVerdict verdict;
  if (list.ids.empty()) verdict.Add(CheckResult::kSkip, "the plug-in lists no unit");
  for (uint32_t id : list.ids) DescribeUnit(*plugin, id, context, verdict);
  ReleaseUnitIds(*plugin, list, context);
  return verdict;
}

CheckVerdict CheckGetInfoUnknownId(const CheckContext& context) {
  std::shared_ptr<PluginParams> plugin = BindForCheck(context);
  UnitIds list = ListUnitIds(*plugin, context);
  uint32_t id = UnlistedId(list.ids);
  UnitInfo info = UnsetInfo();
  context.channel.Step(Call("FpxGetInfo", id) + ", an id that is not listed");
  int32_t result = plugin->FpxGetInfo(id, &info);
  CheckVerdict verdict;
  if (result == 0) {
    verdict.Add(CheckResult::kWarn, Call("FpxGetInfo", id) +
                                        " returned 0 for an id that FpxEnumUnits does not list" +
                                        " (expected non-zero)");
    for (char* text : {info.text1, info.text2})
      if (text != nullptr && text != kUnsetText) plugin->FpxFree(text);
  } else {
    verdict.Add(CheckResult::kPass, Call("FpxGetInfo", id) + " returned " + std::to_string(result));
  }
  ReleaseUnitIds(*plugin, list, context);
  return verdict;
}
