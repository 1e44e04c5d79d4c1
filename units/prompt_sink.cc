#include "units/prompt_sink.h"

namespace {

std::atomic<PromptHandler> g_PromptHandler{nullptr};

bool IsContinuationByte(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

}  // namespace

void SetPromptHandler(PromptHandler handler) { g_PromptHandler.store(handler); }

// A byte at a time: a plug-in that forgot the NUL may have put the text just before unmapped memory.
void CopyPrompt(const char* text, char* copy) {
  size_t length = 0;
  while (length < kPromptCapacity && text[length] != '\0') ++length;
  if (length == kPromptCapacity) {
    length = kPromptCapacity - 1;
    while (length > 0 && IsContinuationByte(text[length])) --length;
  }
  for (size_t i = 0; i < length; ++i) copy[i] = text[i];
  copy[length] = '\0';
}

extern "C" void ReceivePluginPrompt(uint32_t unitId, const char* text, void* data) {
  const PromptGate* gate = static_cast<const PromptGate*>(data);
  if (text == nullptr || gate == nullptr || !gate->IsOpen()) return;
  char copy[kPromptCapacity];
  CopyPrompt(text, copy);
  if (PromptHandler handler = g_PromptHandler.load()) handler(unitId, copy);
}
