#include "tools/plugin_check/prompts_check.h"

#include <gtest/gtest.h>
#include <string.h>

#include <vector>

namespace {

// The recorder keeps the first fault and counts every call; a call after the disconnect ends the
// watch for late calls at once.
TEST(PromptRecorderTest, KeepsTheFirstFault) {
  char open[300];
  memset(open, 'x', sizeof open);
  char longest[256];  // 255 bytes and the NUL: the most the program shows
  memset(longest, 'x', sizeof longest - 1);
  longest[255] = '\0';
  struct Case {
    std::vector<const char*> before, after;
    PromptFault fault;
    int calls;
  };
  const Case kCases[] = {
      {{"Place", "Gr\xc3\xbc\xc3\x9f"}, {}, PromptFault::kNone, 2},
      {{"ok", "\xc3\x28", open}, {}, PromptFault::kNotUtf8, 3},
      {{longest}, {}, PromptFault::kNone, 1},
      {{open, nullptr}, {}, PromptFault::kUnterminated, 2},
      {{nullptr}, {}, PromptFault::kNullText, 1},
      {{"\xed\xa0\x80"}, {}, PromptFault::kNotUtf8, 1},
      {{"ok"}, {"late", "\xff"}, PromptFault::kAfterDisconnect, 3},
  };
  for (const Case& c : kCases) {
    PromptRecorder recorder;
    for (const char* text : c.before) RecordPrompt(1, text, &recorder);
    recorder.MarkDisconnected();
    for (const char* text : c.after) RecordPrompt(1, text, &recorder);
    PromptsSeen seen = recorder.AwaitLateCall(std::chrono::milliseconds(c.after.empty() ? 0 : 10000));
    EXPECT_EQ(seen.fault, c.fault) << seen.text;
    EXPECT_EQ(seen.calls, c.calls) << seen.text;
  }
}

}  // namespace
