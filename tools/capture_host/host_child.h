// Starting the capture program and waiting for it with a timeout, for every program that plays
// the parent: velmora-capture-host, velmora-test-parent and the start-up benchmark. SIGCHLD is
// blocked and taken synchronously, never by a handler. The host also takes SIGINT, SIGTERM and
// SIGHUP that way, so that it can end the program and remove the segment before it goes; the
// others leave those signals as they are.
//
// Thread rules: main thread only; a parent that uses this has no other thread and one child at a
// time.
#ifndef VELMORA_TOOLS_CAPTURE_HOST_HOST_CHILD_H_
#define VELMORA_TOOLS_CAPTURE_HOST_HOST_CHILD_H_

#include <signal.h>
#include <sys/types.h>

// How the child ended.
struct ChildEnd {
  bool exited = false;  // ended by exit(); exitStatus holds its status
  int exitStatus = 0;
  int signal = 0;         // the signal that ended it, when it did not exit
  bool timedOut = false;  // the parent killed it after the timeout
  long peakKiB = 0;       // its peak resident set in KiB, as counted when it was reaped
};

// Which signals, besides the child's end, end a wait.
enum class HostInterrupts {
  kNone,   // none: SIGINT, SIGTERM and SIGHUP keep their dispositions
  kTaken,  // SIGINT, SIGTERM and SIGHUP are blocked and end the wait
};

// The parent's signals while it runs children.
struct HostSignals {
  sigset_t former;  // the mask before HostBlockSignals; each child starts with it
  sigset_t waited;  // SIGCHLD, and with kTaken the interruptions
};

// What to start.
struct HostCommand {
  char* const* argv;              // argv[0] names the program; ends in a null pointer; not owned
  bool searchPath = false;        // a name without a slash is looked up in PATH, as a shell does
  const char* logPath = nullptr;  // when set, the child's stdout and stderr go to this file
                                  // (created or truncated, mode 0600); otherwise they are ours
};

// Blocks SIGCHLD (and makes sure it is not ignored) and, with kTaken, SIGINT, SIGTERM and SIGHUP.
// Gives the former mask and the waited set. Call once, before the segment is created, so that an
// interruption can never leave it behind.
HostSignals HostBlockSignals(HostInterrupts interrupts);

// Starts the command with the former signal mask. Gives its pid, or -1 with errno set when it
// cannot be started (nothing is left running then).
pid_t HostStartChild(const HostCommand& command, const HostSignals& signals);

// Waits until the child ends, killing it with SIGKILL after timeoutSeconds (end->timedOut) or as
// soon as one of the interruptions in signals.waited arrives. Gives 0 with *end filled, or the
// number of the interrupting signal; either way the child has ended and been reaped.
int HostWaitChild(pid_t pid, int timeoutSeconds, const HostSignals& signals, ChildEnd* end);

// Ends the parent by the signal that interrupted it, as an uninterrupted process would have ended,
// so that a calling shell sees the interruption. Returns only if the signal does not end it.
void HostRaise(int signal);

#endif  // VELMORA_TOOLS_CAPTURE_HOST_HOST_CHILD_H_
