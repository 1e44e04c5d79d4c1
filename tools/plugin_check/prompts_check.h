// prompts: the texts that a plug-in with FpxSetPromptSink hands the prompt sink during a capture,
// and whether it calls the sink after FpxDisconnect returned, measured by a recording sink in a
// child and judged apart from the plug-in.
//
// Thread rules: the recorder's sink may be called from any thread, also from several at once;
// the judging is a pure function.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_PROMPTS_CHECK_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_PROMPTS_CHECK_H_

#include <stdint.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

#include "tools/plugin_check/check_verdict.h"

// The first rule a prompt broke; later faults are not kept.
enum class PromptFault { kNone, kNullText, kUnterminated, kNotUtf8, kAfterDisconnect };

struct PromptsSeen {
  bool exported = true;  // the plug-in exports FpxSetPromptSink
  int calls = 0;         // every call of the sink, the faulty ones included
  PromptFault fault = PromptFault::kNone;
  std::string text;                      // the first faulty prompt's text, or else the first prompt's, quoted
  std::chrono::milliseconds watched{0};  // how long calls were awaited after FpxDisconnect returned
};

// Not exported skips; any fault fails; otherwise passes with the count and the first text.
CheckVerdict JudgePrompts(const PromptsSeen& seen);

// The sink that the check hands the plug-in, with a PromptRecorder as `data`.
extern "C" void RecordPrompt(uint32_t unitId, const char* text, void* data);

// Counts the sink's calls and keeps the first fault. Must outlive every call of the plug-in: the
// check never frees it.
class PromptRecorder {
 public:
  // From here on every call is a fault.
  void MarkDisconnected();
  // Waits up to `bound` for a call after MarkDisconnected, and returns what was seen so far.
  PromptsSeen AwaitLateCall(std::chrono::milliseconds bound);
  void Record(const char* text);

 private:
  std::mutex m_Lock;
  std::condition_variable m_Late;
  bool m_Disconnected = false;  // GUARDED_BY(m_Lock)
  PromptsSeen m_Seen;           // GUARDED_BY(m_Lock)
};

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_PROMPTS_CHECK_H_
