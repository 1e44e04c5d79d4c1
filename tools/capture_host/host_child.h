// Starting the capture program and waiting for it, with a timeout and with the host's own
// interruption: SIGINT, SIGTERM and SIGHUP are taken synchronously, never by a handler, so that
// the host can end the program and remove the segment before it goes.
//
// Thread rules: main thread only; the host has no other.
#ifndef VELMORA_CAPTURE_HOST_HOST_CHILD_H_
#define VELMORA_CAPTURE_HOST_HOST_CHILD_H_

#include <signal.h>
#include <sys/types.h>

#include "tools/capture_host/host_result.h"

// Blocks SIGINT, SIGTERM, SIGHUP and SIGCHLD (and makes sure SIGCHLD is not ignored) and stores
// the former mask in *former for the child. Call before the segment is created, so that an
// interruption can never leave it behind.
void HostBlockSignals(sigset_t* former);

// Starts program with no arguments but its name, with the former signal mask, and with the
// host's standard streams. Gives its pid, or -1 with errno set when it cannot be started.
pid_t HostStartChild(const char* program, const sigset_t& former);

// Waits until the child ends, killing it after timeoutSeconds (end->timedOut) or as soon as the
// host is interrupted. Gives 0 with *end filled, or the number of the interrupting signal; either
// way the child has ended and been reaped.
int HostWaitChild(pid_t pid, int timeoutSeconds, ChildEnd* end);

// Ends the host by the signal that interrupted it, as an uninterrupted process would have ended,
// so that a calling shell sees the interruption. Returns only if the signal does not end it.
void HostRaise(int signal);

#endif  // VELMORA_CAPTURE_HOST_HOST_CHILD_H_
