// Showing what a plug-in handed out (texts, samples, id lists) on one line of a report. A plug-in
// text may hold any byte and need not end where it should, so it is shown quoted, with escapes,
// and cut.
//
// Thread rules: none, nothing is shared.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_PLUGIN_TEXT_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_PLUGIN_TEXT_H_

#include <stddef.h>
#include <stdint.h>

#include <string>

// The first `length` bytes in double quotes: printable ASCII as it is, '"' and '\' escaped with a
// backslash, every other byte as \xNN. Beyond `shown` bytes the quote ends in "..." after the
// closing quote.
std::string QuoteBytes(const unsigned char* bytes, size_t length, size_t shown = 48);

// The ids separated by ", ", the first `shown` of them, then ", ..." when there are more.
std::string IdList(const uint32_t* ids, size_t count, size_t shown = 16);

// `text` with every control byte (below 0x20, and 0x7f) as \xNN, so that it stays on one line.
std::string OneLine(const std::string& text);

// The length of the UTF-8 sequence at text[i] (no overlong forms, no surrogates), or 0 when none
// starts there; ASCII bytes are sequences of their own.
size_t Utf8SequenceLength(const std::string& text, size_t i);

// Whether every byte of `text` belongs to a UTF-8 sequence.
bool IsUtf8(const std::string& text);

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_PLUGIN_TEXT_H_
