// The handoff from other threads to the main thread: the capture worker's request to end the main
// loop, its report of a failed capture and the readers' prompts all travel as small records through
// one pipe that a source of the main loop watches. Only bytes cross threads, never an object of
// the toolkit; the write on one side and the read on the other order the two threads for any
// observer, the thread sanitizer included.
//
// Thread rules: WatchMainThreadMail and the receiver run on the main thread; PostEndLoop and
// PostMail may be called on any thread, also before the loop runs: the mail waits for it.
#ifndef VELMORA_UI_MAIN_THREAD_MAIL_H_
#define VELMORA_UI_MAIN_THREAD_MAIL_H_

#include <stdint.h>

enum class MailKind : uint8_t {
  kEndLoop,        // the worker's request to end the loop; no text
  kCaptureFailed,  // the capture failed; no text
  kPrompt,         // a reader's prompt, in the text
};

// Called on the main thread for each record, in the order posted. A run of end requests reaches
// it once, after every record posted before them.
using MailReceiver = void (*)(MailKind kind, const char* text);

// Makes the pipe and its source once; later calls only replace the receiver. False, with the
// failing call named on standard error, when the pipe cannot be made.
bool WatchMainThreadMail(MailReceiver receiver);

// Asks for the loop's end. Never lost: a full pipe already holds mail that wakes the receiver.
void PostEndLoop();

// Posts a record with a NUL-terminated `text` (null for none) of which at most 255 bytes travel.
// A record that finds the pipe full, or no pipe, is dropped.
void PostMail(MailKind kind, const char* text);

#endif  // VELMORA_UI_MAIN_THREAD_MAIL_H_
