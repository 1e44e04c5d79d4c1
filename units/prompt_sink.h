// Prompts that plug-ins hand the program for the person at the window ("Swipe your finger again,
// more slowly"): the sink that every plug-in with FpxSetPromptSink receives, the gate that lets a
// plug-in's prompts through only while one of its units is connected, and the handler that the
// window installs to show them.
//
// Thread rules: the sink runs on whichever thread the plug-in calls it, also on several at once;
// it copies the text at once and calls the handler on that same thread. SetPromptHandler may be
// called at any time; a prompt that meets no handler is dropped.
#ifndef VELMORA_UNITS_PROMPT_SINK_H_
#define VELMORA_UNITS_PROMPT_SINK_H_

#include <stddef.h>
#include <stdint.h>

#include <atomic>

// The most bytes of a prompt that the program reads; a copy holds one less and a NUL.
constexpr size_t kPromptCapacity = 256;

// Receives a copy of each prompt that passes a gate: `text` is NUL-terminated, at most 255 bytes,
// cut at a character boundary, and valid only during the call. Called on the plug-in's thread: it
// must not touch the toolkit and must return at once.
using PromptHandler = void (*)(uint32_t unitId, const char* text);

// Whether a plug-in's prompts are taken: open from just before its FpxSetPromptSink and FpxConnect
// until its FpxDisconnect has returned.
class PromptGate {
 public:
  void Open() { m_Open.store(true); }
  void Close() { m_Open.store(false); }
  bool IsOpen() const { return m_Open.load(); }

 private:
  std::atomic<bool> m_Open{false};
};

// Makes `handler` the receiver of every prompt from now on; null drops them.
void SetPromptHandler(PromptHandler handler);

// Copies `text` into `copy` (kPromptCapacity bytes), reading no more than kPromptCapacity bytes of
// it: a text without a NUL among them is cut to kPromptCapacity - 1 bytes, and back to the start
// of a UTF-8 character that the cut would split.
void CopyPrompt(const char* text, char* copy);

// The sink handed to FpxSetPromptSink, with the plug-in's PromptGate as `data`. Drops a null text
// and every prompt while the gate is closed; otherwise copies the text and calls the handler.
extern "C" void ReceivePluginPrompt(uint32_t unitId, const char* text, void* data);

#endif  // VELMORA_UNITS_PROMPT_SINK_H_
