/*
 * What the plug-in tells people and the parent, as pure functions: the meaning of fprintd's
 * verification statuses, the line for one of its D-Bus errors, and the sample text. Nothing here
 * talks to the bus, so each rule is tested on its own.
 *
 * Thread rules: none; every function is reentrant.
 */
#ifndef VELMORA_PLUGINS_FPRINTD_FD_TEXTS_H_
#define VELMORA_PLUGINS_FPRINTD_FD_TEXTS_H_

#include <glib.h>

#ifdef __cplusplus
extern "C" {
#endif

/* What a VerifyStatus signal means for the capture. */
typedef enum FprintdOutcome {
  kFprintdMatch,   /* the capture succeeds with a sample */
  kFprintdNoMatch, /* the capture fails: someone else's finger, or none that is enrolled */
  kFprintdRetry,   /* the reader wants the finger again; the verification goes on */
  kFprintdFailed,  /* the reader or the service failed; the capture fails */
  kFprintdPending, /* a status that does not end the verification and asks for nothing */
} FprintdOutcome;

/* The outcome of `status` with fprintd's `done` flag; *words (static, never NULL) says it for a
 * person ("the swipe was too short"). */
FprintdOutcome FprintdClassifyStatus(const char* status, gboolean done, const char** words);

/* What a retry `status` asks of the person ("Swipe your finger again, more slowly"), in the words
 * that the program's catalogue translates; NULL for a status that is no retry. Static. */
const char* FprintdRetryPrompt(const char* status);

/* The line (without "velmora fprintd: " and newline; owned by the caller) for fprintd's error
 * `name` (a D-Bus error name, may be NULL) while doing `what` ("claiming Virtual device") with the
 * reader `device`; `message` is the error's own text, used when the name is not one we know. */
char* FprintdErrorLine(const char* name, const char* what, const char* device, const char* message);

/* Writes the sample for a match by `user` on the device of object path `path` into `out` (at
 * least 256 bytes). Its length, or -1 when it would not fit in 255 bytes (nothing is cut). */
int FprintdMakeSample(const char* user, const char* path, char* out);

/* The last element of an object path ("/net/reactivated/Fprint/Device/0" gives "0"). */
const char* FprintdPathLeaf(const char* path);

#ifdef __cplusplus
}
#endif

#endif /* VELMORA_PLUGINS_FPRINTD_FD_TEXTS_H_ */
