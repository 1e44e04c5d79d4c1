#include "ui/reader_prompts.h"

#include "ui/translation.h"

// A plug-in that changes one of its prompts changes it here as well, or it stays untranslated.
const char* const kReaderPrompts[] = {
    N_("Swipe your finger again, more slowly"),
    N_("Centre your finger on the reader and try again"),
    N_("Lift your finger, then place it on the reader again"),
    N_("Place your finger on the reader again"),
};
const size_t kReaderPromptCount = sizeof kReaderPrompts / sizeof kReaderPrompts[0];
