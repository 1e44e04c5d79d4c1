/*
 * One verification against all of the user's enrolled fingers: VerifyStart("any"), the
 * VerifyStatus signals until a final one, then VerifyStop. fprintd leaving the bus
 * (NameOwnerChanged) ends the wait at once.
 *
 * Thread rules: called by the thread that runs the unit's operation, with the unit's context
 * pushed as its thread-default; the signals arrive on that context.
 */
#ifndef VELMORA_PLUGINS_FPRINTD_FD_VERIFY_H_
#define VELMORA_PLUGINS_FPRINTD_FD_VERIFY_H_

#include "fd_unit.h"

/* kFprintdMatch on a match; any other outcome fails the capture, after one line on stderr unless
 * `cancellable` was cancelled. */
FprintdOutcome FprintdVerify(FprintdUnit* unit, GCancellable* cancellable);

/* Prints the line for `error` of `what` on the unit's reader ("velmora fprintd: ..."), unless the
 * call was cancelled. */
void FprintdReport(const FprintdUnit* unit, const char* what, const GError* error);

#endif /* VELMORA_PLUGINS_FPRINTD_FD_VERIFY_H_ */
