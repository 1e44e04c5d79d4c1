// The prompts that our own plug-ins send for the person at the window, in their exact words. The
// window shows every prompt through the message catalogue, so these appear in the person's
// language; a vendor's prompt that the catalogue does not know is shown as sent.
//
// A constant table; any thread may read it.
#ifndef VELMORA_UI_READER_PROMPTS_H_
#define VELMORA_UI_READER_PROMPTS_H_

#include <stddef.h>

extern const char* const kReaderPrompts[];
extern const size_t kReaderPromptCount;

#endif  // VELMORA_UI_READER_PROMPTS_H_
