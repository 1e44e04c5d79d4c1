// prompts: the worker's connect, capture and disconnect with the checker's recording sink in
// place of the program's, then a watch for prompts that come after the disconnect.
#include "tools/plugin_check/prompts_check.h"

#include <string.h>

#include "tools/plugin_check/call_text.h"
#include "tools/plugin_check/disconnect_check.h"
#include "tools/plugin_check/plugin_checks.h"
#include "tools/plugin_check/plugin_session.h"
#include "tools/plugin_check/plugin_text.h"
#include "units/capture_call.h"
#include "units/prompt_sink.h"

namespace {

const std::string kCapacityText = std::to_string(kPromptCapacity);

// The fault of a prompt that came while the unit was connected, or kNone.
PromptFault FaultOf(const char* text) {
  if (text == nullptr) return PromptFault::kNullText;
  size_t length = strnlen(text, kPromptCapacity);
  if (length == kPromptCapacity) return PromptFault::kUnterminated;
  return IsUtf8(std::string(text, length)) ? PromptFault::kNone : PromptFault::kNotUtf8;
}

// Reads no further than the program does.
std::string Quoted(const char* text) {
  if (text == nullptr) return "NULL";
  return QuoteBytes(reinterpret_cast<const unsigned char*>(text), strnlen(text, kPromptCapacity));
}

std::string FaultText(PromptFault fault) {
  switch (fault) {
    case PromptFault::kNullText:
      return "a prompt with a null text: the program drops it";
    case PromptFault::kUnterminated:
      return "a prompt without a NUL byte within " + kCapacityText + " bytes: the program shows it cut: ";
    case PromptFault::kNotUtf8:
      return "a prompt that is not UTF-8: the window shows replacement characters: ";
    case PromptFault::kAfterDisconnect:
      return "a prompt after FpxDisconnect returned: the program ignores it, and may have freed the "
             "sink's data: ";
    case PromptFault::kNone:
      break;
  }
  return "";
}

std::string WatchText(std::chrono::milliseconds watched) {
  return "none in the " + std::to_string(watched.count()) + " ms after FpxDisconnect returned";
}

}  // namespace

extern "C" void RecordPrompt(uint32_t /*unitId*/, const char* text, void* data) {
  static_cast<PromptRecorder*>(data)->Record(text);
}

void PromptRecorder::Record(const char* text) {
  std::lock_guard<std::mutex> hold(m_Lock);
  ++m_Seen.calls;
  if (m_Seen.fault != PromptFault::kNone) return;
  m_Seen.fault = m_Disconnected ? PromptFault::kAfterDisconnect : FaultOf(text);
  if (m_Seen.fault != PromptFault::kNone || m_Seen.calls == 1) m_Seen.text = Quoted(text);
  if (m_Seen.fault == PromptFault::kAfterDisconnect) m_Late.notify_all();
}

void PromptRecorder::MarkDisconnected() {
  std::lock_guard<std::mutex> hold(m_Lock);
  m_Disconnected = true;
}

PromptsSeen PromptRecorder::AwaitLateCall(std::chrono::milliseconds bound) {
  std::unique_lock<std::mutex> hold(m_Lock);
  m_Late.wait_for(hold, bound, [this] { return m_Seen.fault == PromptFault::kAfterDisconnect; });
  PromptsSeen seen = m_Seen;
  seen.watched = bound;
  return seen;
}

CheckVerdict JudgePrompts(const PromptsSeen& seen) {
  CheckVerdict verdict;
  if (!seen.exported)
    verdict.Add(CheckResult::kSkip, "the plug-in does not export " FPX_SET_PROMPT_SINK_NAME);
  else if (seen.fault != PromptFault::kNone)
    verdict.Add(CheckResult::kFail,
                FaultText(seen.fault) + (seen.fault == PromptFault::kNullText ? "" : seen.text));
  else if (seen.calls == 0)
    verdict.Add(CheckResult::kPass, "no prompt during the capture, " + WatchText(seen.watched));
  else
    verdict.Add(CheckResult::kPass, std::to_string(seen.calls) + (seen.calls == 1 ? " prompt" : " prompts") +
                                        ", each ending within " + kCapacityText + " bytes and UTF-8, " +
                                        WatchText(seen.watched) + "; the first: " + seen.text);
  return verdict;
}

namespace {

// The worker's calls on the unit, the recording sink handed over first as the program hands its own.
void ConnectCaptureDisconnect(PluginParams& plugin, uint32_t id, PromptRecorder& recorder,
                              const CheckContext& context) {
  context.channel.Step(FPX_SET_PROMPT_SINK_NAME " with the checker's recording sink");
  plugin.FpxSetPromptSink(RecordPrompt, &recorder);
  context.channel.Step(ConnectCallText(id));
  ConnectForCapture(plugin, id);
  context.channel.Step(CaptureCallText(id));
  CaptureSample(plugin, id);
  context.channel.Step(CallText(FPX_DISCONNECT_NAME, id));
  plugin.FpxDisconnect(id);
  recorder.MarkDisconnected();
}

}  // namespace

// The units stay, and so does the recorder: the plug-in may call the sink after the check.
CheckVerdict CheckPrompts(const CheckContext& context) {
  CheckVerdict skipped;
  CheckedUnits& found = DiscoverLastingUnit(context, &skipped);
  if (found.unit == nullptr) return skipped;
  PromptsSeen absent;
  absent.exported = false;
  if (found.plugin->FpxSetPromptSink == nullptr) return JudgePrompts(absent);
  PromptRecorder& recorder = *new PromptRecorder;
  ConnectCaptureDisconnect(*found.plugin, found.id, recorder, context);
  context.channel.Step("waiting for prompts after the disconnect");
  return JudgePrompts(recorder.AwaitLateCall(kDisconnectBound * context.options.slowFactor));
}
