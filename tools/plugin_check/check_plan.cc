#include "tools/plugin_check/check_plan.h"

#include <map>

#include "tools/plugin_check/check_child.h"
#include "tools/plugin_check/plugin_checks.h"

namespace {

struct PlannedCheck {
  const char* id;
  CheckVerdict (*body)(const CheckContext&);
  const char* needs;  // the check that must have passed or warned first, or null
  bool needsFinger;   // a capture must succeed: skipped with --no-capture
};

// In the order the program meets the calls: binding, discovery, capture, the process's end.
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

}  // namespace

bool RunPluginChecks(const CheckOptions& options, std::vector<CheckReport>* reports,
                     std::string* unopenable) {
  std::map<std::string, CheckVerdict> done;
  for (const PlannedCheck& check : kPlan) {
    CheckVerdict verdict;
    std::string skip = SkipReason(check, options, done);
    if (!skip.empty()) {
      verdict.Add(CheckResult::kSkip, skip);
    } else {
      verdict = RunCheckInChild(
          [&check, &options](const CheckChannel& channel) {
            return check.body(CheckContext{options, channel});
          },
          options.timeoutSeconds);
    }
    if (verdict.unopenable) {
      *unopenable = verdict.detail;
      return false;
    }
    done[check.id] = verdict;
    reports->push_back({check.id, verdict});
  }
  return true;
}
