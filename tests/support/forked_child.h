// Running a piece of a test in a forked child, for what must not touch the test process: giving
// up root, mounting, or a call that may block for good.
//
// Test support only. Call it from the test's own thread.
#ifndef VELMORA_TESTS_SUPPORT_FORKED_CHILD_H_
#define VELMORA_TESTS_SUPPORT_FORKED_CHILD_H_

#include <errno.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace velmora::test {

// Runs `body` in a forked child and gives the child's exit status, `body`'s result (0 to 255).
// Gives -1 when the child dies of a signal, or has not ended after a minute and is killed (the
// bound only keeps a child that hangs from hanging the suite; no test asserts on time).
inline int RunInChild(const std::function<int()>& body) {
  int ended[2];  // the child's end closes when it exits, however it exits
  if (pipe2(ended, O_CLOEXEC) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    close(ended[0]);
    _exit(body());
  }
  close(ended[1]);
  if (pid < 0) {
    close(ended[0]);
    return -1;
  }
  pollfd end = {ended[0], POLLIN, 0};
  int ready;
  while ((ready = poll(&end, 1, 60 * 1000)) < 0 && errno == EINTR) {
  }
  close(ended[0]);
  if (ready <= 0) kill(pid, SIGKILL);
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return ready > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
