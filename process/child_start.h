// Starting one child process for a parent that then waits for it (child_wait.h): a program with a
// chosen signal mask and, if asked, its output in a log file (velmora-capture-host, the test
// parent, the start-up benchmark), or a function of the parent's own in a fork (velmora-plugin-check
// runs each check so, the tests a piece that must not touch their own process).
//
// Both make sure that SIGCHLD is not ignored, as an ignored SIGCHLD would reap the child before
// the parent could. Thread rules: call from one thread at a time. ForkChild forks: with other
// threads running, the body must keep to what is safe in a forked child.
#ifndef VELMORA_PROCESS_CHILD_START_H_
#define VELMORA_PROCESS_CHILD_START_H_

#include <signal.h>
#include <sys/types.h>

#include <functional>

// A program to start.
struct ChildCommand {
  char* const* argv;               // argv[0] names the program; ends in a null pointer; not owned
  bool searchPath = false;         // a name without a slash is looked up in PATH, as a shell does
  const char* logPath = nullptr;   // when set, the child's stdout and stderr go to this file
                                   // (created or truncated, mode 0600); otherwise they are ours
  const sigset_t* mask = nullptr;  // the child's signal mask; null: the caller's
};

// Starts the command. Gives its pid, or -1 with errno set when it cannot be started (nothing is
// left running then).
pid_t SpawnChild(const ChildCommand& command);

// Whose process group a forked child is in.
enum class ChildGroup {
  kParents,  // the caller's
  kOwn,      // a new one with the child's id, made before ForkChild returns, so that a wait may
             // kill the group (ChildWatch::killGroup) at any moment
};

// Forks a child that runs `body` and ends with its result as exit status (an exception that
// leaves `body` aborts the child). Output buffered in stdio is written first, so that none is
// written twice. Gives the child's pid, or -1 with errno set when the fork fails.
pid_t ForkChild(const std::function<int()>& body, ChildGroup group);

#endif  // VELMORA_PROCESS_CHILD_START_H_
