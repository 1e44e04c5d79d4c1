// Running a piece of a test in a forked child, for what must not touch the test process: giving
// up root, mounting, or a call that may block for good.
//
// Test support only. Call it from the test's own thread.
#ifndef VELMORA_TESTS_SUPPORT_FORKED_CHILD_H_
#define VELMORA_TESTS_SUPPORT_FORKED_CHILD_H_

#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/types.h>
#include <unistd.h>

#include <functional>

#include "process/child_start.h"
#include "process/child_wait.h"

namespace velmora::test {

// Runs `body` in a forked child and gives the child's exit status, `body`'s result (0 to 255).
// Gives -1 when the child dies of a signal, or has not ended after a minute and is killed (the
// bound only keeps a child that hangs from hanging the suite; no test asserts on time).
inline int RunInChild(const std::function<int()>& body) {
  pid_t pid = ForkChild(body, ChildGroup::kParents);
  if (pid < 0) return -1;
  ChildWatch watch;
  watch.timeoutSeconds = 60;
  ChildEnd end = WaitChild(pid, watch);
  return end.exited ? end.exitStatus : -1;
}

// Makes this process an ordinary user: `id` as user and group, no other groups. False when it
// cannot (this process is no superuser).
inline bool BecomeUser(uid_t id) { return setgroups(0, nullptr) == 0 && setgid(id) == 0 && setuid(id) == 0; }

// Gives this process mounts of its own, which no other process sees and which go when it ends;
// call it in a forked child. False when it cannot (this process is no superuser).
inline bool EnterPrivateMounts() {
  return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

}  // namespace velmora::test

#endif  // VELMORA_TESTS_SUPPORT_FORKED_CHILD_H_
