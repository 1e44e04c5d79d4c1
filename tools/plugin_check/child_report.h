// What the child of a check reports on its pipe, how the child ended, and the verdict judged from
// both.
//
// The plug-in runs in the child and inherits the pipe, so what comes through it is believed only
// in the form that the checker's own code gives it: messages of a known kind and a bounded size,
// a verdict only as the child's last message and followed by a clean exit. Anything else refuses
// the pipe, and the check fails.
//
// Plain values and pure functions, no system calls. Thread rules: none; a ChildReport is used by
// one thread.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_CHILD_REPORT_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_CHILD_REPORT_H_

#include <stddef.h>
#include <stdint.h>

#include <string>

#include "process/child_wait.h"
#include "tools/plugin_check/check_verdict.h"

// The longest payload of a message; the child cuts longer steps and details to it.
constexpr uint32_t kMaxPayload = 64 * 1024;
// The most that a check's pipe carries; more is a flood.
constexpr size_t kMaxReportBytes = 64 * 1024 * 1024;

// The message for a step, and for a verdict: a kind byte, the payload's length as a native 32-bit
// value, and the payload, cut to kMaxPayload.
std::string StepMessage(const std::string& what);
std::string VerdictMessage(const CheckVerdict& verdict);

// "the check's pipe carried <what>: the plug-in writes to a descriptor that is not its own".
std::string ForgedText(const std::string& what);

// The parent's reading of the pipe.
class ChildReport {
 public:
  // Takes the next bytes that came through the pipe. Gives the number of messages that they
  // completed; once the pipe is refused, it takes nothing more.
  size_t Take(const char* bytes, size_t size);

  // Empty, or why the pipe was refused (a ForgedText).
  const std::string& Refusal() const { return m_Refusal; }

  // Whether the last whole message is a verdict, and that verdict.
  bool HasVerdict() const { return m_VerdictLast; }
  const CheckVerdict& Verdict() const { return m_Verdict; }

  // " during <the last step>", or empty before the first step.
  std::string During() const { return m_LastStep.empty() ? "" : " during " + m_LastStep; }

 private:
  // Takes the message at m_Buffer[at]: the bytes it took, or 0 when none is whole or the pipe has
  // just been refused.
  size_t TakeOne(size_t at);
  void TakeVerdict(const std::string& payload);

  std::string m_Buffer;  // the start of a message not yet whole
  size_t m_Received = 0;
  std::string m_LastStep;
  bool m_VerdictLast = false;
  CheckVerdict m_Verdict;
  std::string m_Refusal;
};

// The child's verdict when it gave one last and then exited with status 0. Otherwise kFail with
// the refusal, "no answer in N s" (the child was killed after `timeoutSeconds` of silence),
// "killed by signal N (<name>)", "ended with status N after its verdict" or "ended with status N
// without a verdict", each followed by During().
CheckVerdict JudgeChild(const ChildReport& report, const ChildEnd& end, int timeoutSeconds);

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_CHILD_REPORT_H_
