// A prompt sink for the tests of a plug-in: it keeps each prompt that reaches it and counts those
// that come after the test said that the unit's FpxDisconnect returned, which the plug-in must
// never send.
//
// Test support only. Any thread may send to it, also several at once; the test's thread installs
// it and reads it. Keep it alive for the rest of the process (a static one): a plug-in keeps the
// sink, and a faulty one may call it late.
#ifndef VELMORA_TESTS_SUPPORT_PROMPT_RECORDER_H_
#define VELMORA_TESTS_SUPPORT_PROMPT_RECORDER_H_

#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "units/plugin_binding.h"

namespace velmora::test {

// (unit id, text) of one prompt.
using Prompt = std::pair<uint32_t, std::string>;

class PromptRecorder {
 public:
  // Hands the recorder to `plugin`'s FpxSetPromptSink, as the program does before each FpxConnect,
  // and forgets the prompts kept so far; the unit counts as connected again. False when the plug-in
  // has no FpxSetPromptSink.
  bool Install(PluginParams& plugin);
  // FpxDisconnect has returned: every prompt from now on is late, until the next Install.
  void Disconnected();
  // The prompts since Install, in arrival order (late ones included).
  std::vector<Prompt> Prompts() const;
  // How many prompts came late over the recorder's life.
  int Late() const;

 private:
  static void Receive(uint32_t unitId, const char* text, void* data);

  mutable std::mutex m_Lock;
  std::vector<Prompt> m_Prompts;  // GUARDED_BY(m_Lock)
  bool m_Disconnected = false;    // GUARDED_BY(m_Lock)
  int m_Late = 0;                 // GUARDED_BY(m_Lock)
};

}  // namespace velmora::test

#endif  // VELMORA_TESTS_SUPPORT_PROMPT_RECORDER_H_
