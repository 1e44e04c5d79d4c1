// The judging of the checks that need no plug-in: each from measurements to a verdict.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/plugin_check/cycles_check.h"
#include "tools/plugin_check/disconnect_check.h"
#include "tools/plugin_check/entry_points_check.h"
#include "tools/plugin_check/enum_units_check.h"
#include "tools/plugin_check/get_info_check.h"
#include "tools/plugin_check/prompts_check.h"
#include "tools/plugin_check/reload_check.h"

namespace {

struct Expected {
  CheckVerdict verdict;
  CheckResult result;
  const char* detail;  // how the detail begins
};

void ExpectAll(const std::vector<Expected>& cases) {
  for (const Expected& c : cases) {
    EXPECT_EQ(c.verdict.result, c.result) << c.verdict.detail;
    EXPECT_EQ(c.verdict.detail.rfind(c.detail, 0), 0u) << c.verdict.detail;
  }
}

ExportedEntryPoint Exported(const char* name, bool underscored, bool plain, bool required = true) {
  return {name, required, underscored, plain, underscored && plain};
}

UnitInfoSeen Unit(uint32_t id, const char* text1, int32_t value1) {
  UnitInfoSeen unit;
  unit.id = id;
  unit.texts[0].shown = text1;
  unit.texts[1].none = true;
  unit.values[0] = value1;
  return unit;
}

TEST(JudgementsTest, EntryPoints) {
  ExpectAll({
      {JudgeEntryPoints({Exported("FpxA", false, true), Exported("FpxB", false, true)}), CheckResult::kPass,
       "all two under their plain names"},
      {JudgeEntryPoints({Exported("FpxA", true, false)}), CheckResult::kPass, "all one with a leading"},
      {JudgeEntryPoints({Exported("FpxA", true, false), Exported("FpxB", false, true)}), CheckResult::kPass,
       "plain: FpxB; with underscore: _FpxA"},
      {JudgeEntryPoints({Exported("FpxA", true, true)}), CheckResult::kWarn,
       "_FpxA and FpxA are different functions: the program binds _FpxA"},
      {JudgeEntryPoints({Exported("FpxA", false, false)}), CheckResult::kFail,
       "FpxA is exported neither as FpxA nor as _FpxA"},
      {JudgeEntryPoints({Exported("FpxA", false, true), Exported("FpxOpt", false, false, false)}),
       CheckResult::kPass, "all one under"},
  });
}

TEST(JudgementsTest, EnumUnits) {
  ExpectAll({
      {JudgeEnumUnits({0, 2, true, {4, 5}}), CheckResult::kPass, "2 units: 4, 5"},
      {JudgeEnumUnits({0, 2, true, {4, 4}}), CheckResult::kWarn, "unit 4 is listed more than once"},
      {JudgeEnumUnits({0, 0, true, {}}), CheckResult::kWarn, "no unit listed"},
      {JudgeEnumUnits({3, 0, false, {}}), CheckResult::kFail, "FpxEnumUnits returned 3 (expected 0)"},
      {JudgeEnumUnits({0, 2, false, {}}), CheckResult::kFail, "FpxEnumUnits reported 2 units but no list"},
      {JudgeEnumUnits({0, kMaxUnits + 1, true, {}}), CheckResult::kFail,
       ("FpxEnumUnits reported " + std::to_string(kMaxUnits + 1) + " units, more than").c_str()},
  });
}

TEST(JudgementsTest, GetInfo) {
  UnitInfoSeen failed = Unit(2, "", 0);
  failed.result = 7;
  UnitInfoSeen open = Unit(3, "\"x\"...", 0);
  open.texts[0].terminated = false;
  UnitInfoSeen unset = Unit(4, "", 0);
  unset.texts[1] = {true, false, true, ""};
  ExpectAll({
      {JudgeGetInfo({Unit(1, "\"a\"", 5)}), CheckResult::kPass, "unit 1: \"a\", none, values 5 0 0 0"},
      {JudgeGetInfo({}), CheckResult::kSkip, "the plug-in lists no unit"},
      {JudgeGetInfo({Unit(1, "\"a\"", kUnsetValue)}), CheckResult::kWarn,
       "FpxGetInfo(1) may have left value1"},
      {JudgeGetInfo({Unit(1, "\"a\"", 0), failed}), CheckResult::kFail,
       "FpxGetInfo(2) returned 7 (expected 0)"},
      {JudgeGetInfo({open}), CheckResult::kFail, "text1 of unit 3 has no NUL within 4096 bytes"},
      {JudgeGetInfo({unset}), CheckResult::kFail, "FpxGetInfo left text2 of unit 4 unset"},
      {JudgeGetInfoUnknownId(9, 0), CheckResult::kWarn, "FpxGetInfo(9) returned 0 for an id"},
      {JudgeGetInfoUnknownId(9, 1), CheckResult::kPass, "FpxGetInfo(9) returned 1"},
  });
}

TEST(JudgementsTest, Disconnects) {
  const std::string bound = std::to_string(kDisconnectBound.count()) + " ms";
  ExpectAll({
      {JudgeDisconnectDuringCapture({false, 0, true, 2}), CheckResult::kPass, "the capture returned 2 after"},
      {JudgeDisconnectDuringCapture({true, 0, true, 0}), CheckResult::kSkip, "the capture ended (status 0)"},
      {JudgeDisconnectDuringCapture({false, 0, false, 0}), CheckResult::kFail,
       ("the capture still runs " + bound + " after FpxDisconnect").c_str()},
      {JudgeCaptureAfterDisconnect(true, 2), CheckResult::kPass, "a capture after FpxDisconnect returned 2"},
      {JudgeCaptureAfterDisconnect(true, 0), CheckResult::kWarn,
       "a capture that starts after FpxDisconnect "
       "returned 0"},
      {JudgeCaptureAfterDisconnect(false, 0), CheckResult::kWarn,
       ("a capture that starts after FpxDisconnect still runs " + bound).c_str()},
      // --slow 10: the bound that was waited for is the one named.
      {JudgeDisconnectDuringCapture({false, 0, false, 0, kDisconnectBound * 10}), CheckResult::kFail,
       "the capture still runs 1000 ms after"},
      {JudgeCaptureAfterDisconnect(false, 0, kDisconnectBound * 10), CheckResult::kWarn,
       "a capture that starts after FpxDisconnect still runs 1000 ms later"},
  });
}

CyclesSeen Cycles(long descriptorsAfter, size_t heapAfter, int failed = 0) {
  return {{6, 1000}, {descriptorsAfter, heapAfter}, failed};
}

TEST(JudgementsTest, CyclesAndReload) {
  const size_t warn = 1000 + kHeapWarnBytes + 1, fail = 1000 + kHeapFailBytes + 1;
  ExpectAll({
      {JudgeCycles(Cycles(6, 1000)), CheckResult::kPass, "over 20 cycles: open descriptors 6 -> 6"},
      {JudgeCycles(Cycles(7, 1000)), CheckResult::kWarn, "open descriptors 6 before and 7 after 20 cycles"},
      {JudgeCycles(Cycles(8, 1000)), CheckResult::kFail, "open descriptors 6 before and 8 after"},
      {JudgeCycles(Cycles(6, warn)), CheckResult::kWarn, "heap in use grew by"},
      {JudgeCycles(Cycles(6, fail)), CheckResult::kFail, "heap in use grew by"},
      {JudgeCycles(Cycles(6, 1000, 2)), CheckResult::kWarn, "2 of 24 captures failed"},
      {JudgeReload({1, 1, false}), CheckResult::kPass, "unloaded and loaded again; 1 unit both times"},
      {JudgeReload({1, 1, true}), CheckResult::kPass, "stays mapped after its last close"},
      {JudgeReload({1, 2, false}), CheckResult::kWarn, "1 unit at the first load, 2 units at the second"},
      {JudgeReload({1, -1, false}), CheckResult::kFail, "after the library was loaded again"},
  });
}

PromptsSeen Prompts(int calls, PromptFault fault, const char* text, bool exported = true) {
  return {exported, calls, fault, text, std::chrono::milliseconds(100)};
}

TEST(JudgementsTest, Prompts) {
  ExpectAll({
      {JudgePrompts(Prompts(0, PromptFault::kNone, "", false)), CheckResult::kSkip,
       "the plug-in does not export FpxSetPromptSink"},
      {JudgePrompts(Prompts(0, PromptFault::kNone, "")), CheckResult::kPass,
       "no prompt during the capture, none in the 100 ms after FpxDisconnect returned"},
      {JudgePrompts(Prompts(2, PromptFault::kNone, "\"Hi\"")), CheckResult::kPass,
       "2 prompts, each ending within 256 bytes and UTF-8, none in the 100 ms after FpxDisconnect "
       "returned; the first: \"Hi\""},
      {JudgePrompts(Prompts(1, PromptFault::kNullText, "NULL")), CheckResult::kFail,
       "a prompt with a null text"},
      {JudgePrompts(Prompts(1, PromptFault::kUnterminated, "\"xx\"...")), CheckResult::kFail,
       "a prompt without a NUL byte within 256 bytes: the program shows it cut: \"xx\"..."},
      {JudgePrompts(Prompts(1, PromptFault::kNotUtf8, "\"\\xc3(\"")), CheckResult::kFail,
       "a prompt that is not UTF-8: the window shows replacement characters: \"\\xc3(\""},
      {JudgePrompts(Prompts(3, PromptFault::kAfterDisconnect, "\"late\"")), CheckResult::kFail,
       "a prompt after FpxDisconnect returned"},
  });
}

}  // namespace
