#include "tools/plugin_check/check_plan.h"

#include <map>

#include "tools/plugin_check/check_child.h"
#include "tools/plugin_check/child_report.h"
#include "tools/plugin_check/plugin_checks.h"

namespace {

constexpr PlannedCheck kPlan[] = {
    {"entry-points", CheckEntryPoints, nullptr, false},
    {"enum-units", CheckEnumUnits, "entry-points", false},
    {"free-null", CheckFreeNull, "enum-units", false},
    {"get-info", CheckGetInfo, "enum-units", false},
    {"get-info-unknown-id", CheckGetInfoUnknownId, "enum-units", false},
    {"capture-sequence", CheckCaptureSequence, "get-info", true},
    {"disconnect-during-capture", CheckDisconnectDuringCapture, "get-info", false},
    {"capture-after-disconnect", CheckCaptureAfterDisconnect, "get-info", false},
    {"cycles", CheckCycles, "get-info", true},
    {"prompts", CheckPrompts, "get-info", true},
    {"reload", CheckReload, "get-info", false},
};

// Why `check` is not run, or an empty text when it is.
std::string SkipReason(const PlannedCheck& check, const CheckOptions& options,
                       const std::map<std::string, CheckVerdict>& done) {
  if (check.needs != nullptr) {
    const CheckVerdict& needed = done.at(check.needs);
    if (needed.result == CheckResult::kFail) return std::string("needs ") + check.needs + ", which failed";
    // A skip passes its reason on, so every skipped check names the cause.
    if (needed.result == CheckResult::kSkip) return needed.detail;
  }
  if (check.needsFinger && options.noCapture) return "--no-capture: no finger on the reader";
  return "";
}

// Only the first check loads the library afresh, so only its child can find it unopenable; a
// later one that says so repeats what the plug-in wrote into its pipe.
CheckVerdict Believed(const CheckVerdict& verdict, const PlannedCheck& check) {
  if (!verdict.unopenable || &check == &kPlan[0]) return verdict;
  CheckVerdict forged;
  forged.Add(CheckResult::kFail,
             ForgedText(std::string("a verdict that the library cannot be opened, which only ") +
                        kPlan[0].id + " gives"));
  return forged;
}

// The check's verdict from a child of its own, or its skip.
CheckVerdict RunOrSkip(const PlannedCheck& check, const CheckOptions& options,
                       const std::map<std::string, CheckVerdict>& done) {
  std::string skip = SkipReason(check, options, done);
  if (!skip.empty()) {
    CheckVerdict skipped;
    skipped.Add(CheckResult::kSkip, skip);
    return skipped;
  }
  auto body = [&check, &options](const CheckChannel& channel) {
    return check.body(CheckContext{options, channel});
  };
  return Believed(RunCheckInChild(body, options.timeoutSeconds), check);
}

}  // namespace

std::span<const PlannedCheck> CheckList() { return kPlan; }

bool RunPluginChecks(const CheckOptions& options, std::vector<CheckReport>* reports,
                     std::string* unopenable) {
  std::map<std::string, CheckVerdict> done;
  for (const PlannedCheck& check : kPlan) {
    CheckVerdict verdict = RunOrSkip(check, options, done);
    if (verdict.unopenable) {
      *unopenable = verdict.detail;
      return false;
    }
    done[check.id] = verdict;
    reports->push_back({check.id, verdict});
  }
  return true;
}
