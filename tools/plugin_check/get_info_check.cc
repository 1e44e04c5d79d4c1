// get-info and get-info-unknown-id: the discovery's FpxGetInfo for each listed unit, and for one
// that is not listed.
#include "tools/plugin_check/get_info_check.h"

#include <string.h>

#include <algorithm>
#include <set>

#include "tools/plugin_check/call_text.h"
#include "tools/plugin_check/plugin_checks.h"
#include "tools/plugin_check/plugin_session.h"
#include "tools/plugin_check/plugin_text.h"

namespace {

// What a text field holds before FpxGetInfo, to see whether it was left alone.
char* const kUnsetText = reinterpret_cast<char*>(static_cast<uintptr_t>(0x5a5a5a5a5a5a5a5aull));

UnitInfo UnsetInfo() { return {kUnsetText, kUnsetText, kUnsetValue, kUnsetValue, kUnsetValue, kUnsetValue}; }

std::string GetInfoCall(uint32_t id) { return CallText(FPX_GET_INFO_NAME, id); }

// One text: read up to kTextBound and handed back to FpxFree.
UnitTextSeen TakeText(PluginParams& plugin, char* text, const std::string& what,
                      const CheckContext& context) {
  UnitTextSeen seen;
  seen.unset = text == kUnsetText;
  seen.none = text == nullptr;
  if (seen.unset || seen.none) return seen;
  context.channel.Step("reading " + what);
  size_t length = strnlen(text, kTextBound);
  seen.terminated = length < kTextBound;
  seen.shown = QuoteBytes(reinterpret_cast<const unsigned char*>(text), length);
  context.channel.Step("FpxFree(" + what + ")");
  plugin.FpxFree(text);
  return seen;
}

UnitInfoSeen DescribeUnit(PluginParams& plugin, uint32_t id, const CheckContext& context) {
  UnitInfoSeen seen;
  seen.id = id;
  UnitInfo info = UnsetInfo();
  context.channel.Step(GetInfoCall(id));
  seen.result = plugin.FpxGetInfo(id, &info);
  if (seen.result != 0) return seen;
  std::string unit = " of unit " + std::to_string(id);
  seen.texts[0] = TakeText(plugin, info.text1, "text1" + unit, context);
  seen.texts[1] = TakeText(plugin, info.text2, "text2" + unit, context);
  const int32_t values[] = {info.value1, info.value2, info.value3, info.value4};
  std::copy(std::begin(values), std::end(values), seen.values);
  return seen;
}

std::string JudgeText(const UnitTextSeen& text, const std::string& what, CheckVerdict& verdict) {
  if (text.unset) verdict.Add(CheckResult::kFail, "FpxGetInfo left " + what + " unset");
  if (text.unset) return "?";
  if (text.none) return "none";
  if (!text.terminated)
    verdict.Add(CheckResult::kFail, what + " has no NUL within " + std::to_string(kTextBound) + " bytes");
  return text.shown;
}

void JudgeUnit(const UnitInfoSeen& unit, CheckVerdict& verdict) {
  if (unit.result != 0) {
    verdict.Add(CheckResult::kFail,
                GetInfoCall(unit.id) + " returned " + StatusText(unit.result) +
                    " (expected 0): the program's discovery ends with \"FpxGetInfo failed\"" +
                    " and finds no unit at all");
    return;
  }
  std::string name = "unit " + std::to_string(unit.id);
  std::string shown = name + ": " + JudgeText(unit.texts[0], "text1 of " + name, verdict) + ", " +
                      JudgeText(unit.texts[1], "text2 of " + name, verdict) + ", values";
  for (int i = 0; i < 4; ++i) {
    if (unit.values[i] == kUnsetValue)
      verdict.Add(CheckResult::kWarn, GetInfoCall(unit.id) + " may have left value" + std::to_string(i + 1) +
                                          " unset (it holds the caller's 0x5a5a5a5a)");
    shown += ' ';  // not `" " + std::to_string(...)`: g++ 12 -O3 takes that for an overlapping copy
    shown += std::to_string(unit.values[i]);
  }
  verdict.Add(CheckResult::kPass, shown);
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

}  // namespace

CheckVerdict JudgeGetInfo(const std::vector<UnitInfoSeen>& units) {
  CheckVerdict verdict;
  if (units.empty()) verdict.Add(CheckResult::kSkip, "the plug-in lists no unit");
  for (const UnitInfoSeen& unit : units) JudgeUnit(unit, verdict);
  return verdict;
}

CheckVerdict JudgeGetInfoUnknownId(uint32_t id, int32_t result) {
  CheckVerdict verdict;
  if (result == 0)
    verdict.Add(
        CheckResult::kWarn,
        GetInfoCall(id) + " returned 0 for an id that FpxEnumUnits does not list" + " (expected non-zero)");
  else
    verdict.Add(CheckResult::kPass, GetInfoCall(id) + " returned " + StatusText(result));
  return verdict;
}

CheckVerdict CheckGetInfo(const CheckContext& context) {
  std::shared_ptr<PluginParams> plugin = BindForCheck(context);
  UnitIds list = ListUnitIds(*plugin, context);
  std::vector<UnitInfoSeen> units;
  for (uint32_t id : list.seen.ids) units.push_back(DescribeUnit(*plugin, id, context));
  ReleaseUnitIds(*plugin, list, context);
  return JudgeGetInfo(units);
}

CheckVerdict CheckGetInfoUnknownId(const CheckContext& context) {
  std::shared_ptr<PluginParams> plugin = BindForCheck(context);
  UnitIds list = ListUnitIds(*plugin, context);
  uint32_t id = UnlistedId(list.seen.ids);
  UnitInfo info = UnsetInfo();
  context.channel.Step(GetInfoCall(id) + ", an id that is not listed");
  int32_t result = plugin->FpxGetInfo(id, &info);
  for (char* text : {info.text1, info.text2})
    if (result == 0 && text != nullptr && text != kUnsetText) plugin->FpxFree(text);
  ReleaseUnitIds(*plugin, list, context);
  return JudgeGetInfoUnknownId(id, result);
}
