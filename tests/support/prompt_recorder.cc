// The recording prompt sink (prompt_recorder.h).
#include "tests/support/prompt_recorder.h"

namespace velmora::test {

bool PromptRecorder::Install(PluginParams& plugin) {
  {
    std::lock_guard held(m_Lock);
    m_Prompts.clear();
    m_Disconnected = false;
  }
  return plugin.FpxSetPromptSink != nullptr && plugin.FpxSetPromptSink(Receive, this) == 0;
}

void PromptRecorder::Disconnected() {
  std::lock_guard held(m_Lock);
  m_Disconnected = true;
}

std::vector<Prompt> PromptRecorder::Prompts() const {
  std::lock_guard held(m_Lock);
  return m_Prompts;
}

int PromptRecorder::Late() const {
  std::lock_guard held(m_Lock);
  return m_Late;
}

void PromptRecorder::Receive(uint32_t unitId, const char* text, void* data) {
  auto* recorder = static_cast<PromptRecorder*>(data);
  std::lock_guard held(recorder->m_Lock);
  recorder->m_Prompts.emplace_back(unitId, text);
  if (recorder->m_Disconnected) ++recorder->m_Late;
}

}  // namespace velmora::test
