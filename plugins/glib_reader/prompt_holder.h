/*
 * The program's prompt sink as the libfprint and fprintd plug-ins keep it: FpxSetPromptSink hands
 * it over before every connect, and a unit's capture sends its retry prompts through it.
 *
 * Thread rules: any thread. PromptHolderSend must be called under the lock that the unit's
 * FpxDisconnect takes, and only while the unit is connected: the sink may not be called once that
 * disconnect has returned, and the lock is what keeps the check and the call together.
 */
#ifndef VELMORA_PLUGINS_GLIB_READER_PROMPT_HOLDER_H_
#define VELMORA_PLUGINS_GLIB_READER_PROMPT_HOLDER_H_

#include <stdint.h>

#include "velmora/fpx_plugin.h"

/* Keeps `sink` and its `data` (either may be NULL) for every later send. */
void PromptHolderSet(FpxPromptSink sink, void* data);

/* Hands `text` (static, NUL-terminated) about unit `unitId` to the sink; nothing when there is none. */
void PromptHolderSend(uint32_t unitId, const char* text);

#endif /* VELMORA_PLUGINS_GLIB_READER_PROMPT_HOLDER_H_ */
