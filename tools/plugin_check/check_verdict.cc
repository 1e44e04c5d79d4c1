#include "tools/plugin_check/check_verdict.h"

const char* CheckResultName(CheckResult result) {
  switch (result) {
    case CheckResult::kPass:
      return "pass";
    case CheckResult::kSkip:
      return "skip";
    case CheckResult::kWarn:
      return "warn";
    case CheckResult::kFail:
      return "fail";
  }
  return "?";
}

void CheckVerdict::Add(CheckResult found, const std::string& text) {
  if (found < result) return;
  if (found > result) {
    result = found;
    detail.clear();
  }
  if (text.empty()) return;
  if (!detail.empty()) detail += "; ";
  detail += text;
}
