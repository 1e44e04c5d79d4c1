// The one wait for a child with a time limit, for every parent in the project: velmora-capture-host
// and the parent's other stand-ins wait for a program, velmora-plugin-check for a check that
// reports on a pipe, the tests for a piece run in a fork (child_start.h starts them).
//
// The wait ends when the child ends, when its limit runs out, when an interrupting signal arrives
// or when what the child streams says to stop; the child is then killed if it still runs, and
// reaped. It learns of the child's end through a process descriptor; where the kernel gives none
// (older than 5.3, or a seccomp filter refuses pidfd_open) it takes SIGCHLD through a signalfd,
// blocked on the waiting thread for the time of the wait, and where not even that descriptor can
// be had it looks every 10 ms.
//
// Thread rules: one thread waits for a given child. Without a process descriptor the wait takes
// every SIGCHLD that arrives meanwhile: another thread that does not block SIGCHLD could take it
// first and leave the wait to look every 10 ms, and a SIGCHLD handler of the caller's misses
// those that the wait took.
#ifndef VELMORA_PROCESS_CHILD_WAIT_H_
#define VELMORA_PROCESS_CHILD_WAIT_H_

#include <signal.h>
#include <stddef.h>
#include <sys/types.h>

#include <functional>

// How the child ended.
struct ChildEnd {
  bool exited = false;  // ended by exit(); exitStatus holds its status
  int exitStatus = 0;
  int signal = 0;         // the signal that ended it, when it did not exit
  bool timedOut = false;  // the wait killed it when its limit ran out
  int interruption = 0;   // the interrupting signal that ended the wait and killed the child, or 0
  long peakKiB = 0;       // its peak resident set in KiB, as counted when it was reaped
};

// What the wait does after a chunk of the stream.
struct StreamAnswer {
  bool restartLimit = false;  // the limit starts again from now
  bool stop = false;          // the wait ends here and kills the child
};

// What a wait watches besides the child's end.
struct ChildWatch {
  int timeoutSeconds = 60;  // the limit, from the start of the wait or its last restart
  // The child's process group, whose id is the child's (ChildGroup::kOwn), is killed when the wait
  // ends, however it ends, before the child is reaped: nothing of the group outlives the wait.
  bool killGroup = false;
  // Signals, blocked by the caller (BlockInterruptions), whose arrival ends the wait; the one that
  // did is taken, not left pending. Null: none.
  const sigset_t* interruptions = nullptr;
  // A descriptor that the wait reads as it becomes readable, handing each chunk to onChunk; its
  // end stops the reading, not the wait. -1: none. Not owned; what is left in it is the caller's.
  int stream = -1;
  std::function<StreamAnswer(const char* bytes, size_t size)> onChunk;
};

// Waits for the child `pid` of this process as `watch` says and reaps it. The limit is looked at
// between chunks too, so that a child that never stops writing cannot hold the wait. A failing
// poll goes to standard error and ends the wait as a stop does; a failing read of the stream ends
// the reading.
ChildEnd WaitChild(pid_t pid, const ChildWatch& watch);

#endif  // VELMORA_PROCESS_CHILD_WAIT_H_
