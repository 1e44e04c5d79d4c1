// What one check of velmora-plugin-check finds: its result and the line that says why.
//
// Plain values, no shared state. Thread rules: none.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_CHECK_VERDICT_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_CHECK_VERDICT_H_

#include <string>

// Ordered from best to worst: a verdict that collects several findings keeps the worst.
enum class CheckResult {
  kPass,  // the plug-in does what the program expects
  kSkip,  // not judged: the check was not asked for, or what it needs is missing
  kWarn,  // the program copes, but a reader maker should look: good practice is not met
  kFail,  // the plug-in breaks something that the capture program relies on
};

// "pass", "skip", "warn" or "fail".
const char* CheckResultName(CheckResult result);

struct CheckVerdict {
  CheckResult result = CheckResult::kPass;
  // One line: what was expected and what came; for a pass what was seen, or empty.
  std::string detail;
  // Set only by the first check when the dynamic loader cannot open the library at all; `detail`
  // then holds the loader's message.
  bool unopenable = false;

  // Adds a finding: the result becomes the worse of both, and `text` joins the detail. Findings
  // of the verdict's current result or worse are kept; a worse finding drops milder ones, so the
  // line leads with what matters.
  void Add(CheckResult found, const std::string& text);
};

// A check's stable id with what it found, as the output lists them.
struct CheckReport {
  std::string id;
  CheckVerdict verdict;
};

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_CHECK_VERDICT_H_
