// Running one check in a forked child process with a time limit, so that a plug-in that crashes
// or hangs is a finding and not the end of the checker.
//
// The child starts a process group of its own, takes the default action for the signals of a
// crash (a sanitizer's handler would turn a crash into a report of its own), writes its standard
// output to standard error and tells the parent through a pipe each step it takes and, at the
// end, its verdict. The plug-in in the child inherits that pipe, so the parent believes only what
// has the form of the checker's own messages (child_report.h). The parent waits for the next
// message at most the time limit (the wait of process/child_wait.h): a child that says nothing for
// that long is killed with its whole process group and reaped, as is a child that ends without a
// verdict or lingers after giving one, and one whose pipe is refused; then every process that the
// child started, in whatever group or session, is killed and reaped too (descendants.h).
//
// Thread rules: the parent calls RunCheckInChild from one thread, with no other thread running
// (it forks), and has no child processes of its own (every child is killed after a check). In the
// child, CheckChannel may be used from any thread.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_CHECK_CHILD_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_CHECK_CHILD_H_

#include <functional>
#include <string>

#include "tools/plugin_check/check_verdict.h"

// The child's end of the pipe.
class CheckChannel {
 public:
  explicit CheckChannel(int fd) : m_Fd(fd) {}

  // Names what the child does next ("FpxFree(NULL)"); the parent restarts its time limit and
  // names the last step when the child crashes or hangs.
  void Step(const std::string& what) const;

  // Hands the verdict over; the child then ends.
  void Verdict(const CheckVerdict& verdict) const;

 private:
  void Send(const std::string& message) const;
  int m_Fd;
};

// Runs `body` in a forked child and gives its verdict, as JudgeChild (child_report.h) judges it:
// the child's own only when it came last and the child then exited with status 0. A child that
// crashes gives kFail with "killed by signal 11 (Segmentation fault) during <last step>"; one that
// ends without a verdict "ended with status N without a verdict ..."; one that is silent for
// `timeoutSeconds` "no answer in N s during <last step>"; one whose pipe carries what the checker
// never sends (the plug-in's writes) the reason. When the child cannot be started the verdict is
// kFail with the system's error, which also goes to standard error. Makes the process a child
// subreaper (descendants.h).
CheckVerdict RunCheckInChild(const std::function<CheckVerdict(const CheckChannel&)>& body,
                             int timeoutSeconds);

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_CHECK_CHILD_H_
