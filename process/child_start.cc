#include "process/child_start.h"

#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <unistd.h>

namespace {

// Children are reaped by their parent's wait, never by an inherited SIG_IGN; a handler stays.
void KeepChildrenForTheWait() {
  struct sigaction current = {};
  if (sigaction(SIGCHLD, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) signal(SIGCHLD, SIG_DFL);
}

void InitSpawnMask(posix_spawnattr_t* attributes, const sigset_t* mask) {
  posix_spawnattr_init(attributes);
  if (mask == nullptr) return;
  posix_spawnattr_setsigmask(attributes, mask);
  posix_spawnattr_setflags(attributes, POSIX_SPAWN_SETSIGMASK);
}

// Both output streams into the log file, when there is one.
void InitSpawnOutput(posix_spawn_file_actions_t* actions, const char* logPath) {
  posix_spawn_file_actions_init(actions);
  if (logPath == nullptr) return;
  posix_spawn_file_actions_addopen(actions, STDOUT_FILENO, logPath, O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(actions, STDOUT_FILENO, STDERR_FILENO);
}

// noexcept: an exception cannot unwind into the copy of the parent's stack.
[[noreturn]] void RunBody(const std::function<int()>& body, ChildGroup group) noexcept {
  if (group == ChildGroup::kOwn) setpgid(0, 0);
  _exit(body());
}

}  // namespace

pid_t SpawnChild(const ChildCommand& command) {
  KeepChildrenForTheWait();
  posix_spawnattr_t attributes;
  InitSpawnMask(&attributes, command.mask);
  posix_spawn_file_actions_t actions;
  InitSpawnOutput(&actions, command.logPath);
  auto spawn = command.searchPath ? posix_spawnp : posix_spawn;
  pid_t pid = -1;
  int result = spawn(&pid, command.argv[0], &actions, &attributes, command.argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (result == 0) return pid;
  errno = result;
  return -1;
}

pid_t ForkChild(const std::function<int()>& body, ChildGroup group) {
  KeepChildrenForTheWait();
  fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) RunBody(body, group);
  // Also here, so that the group exists before the child has run; the second of the two calls
  // changes nothing.
  if (pid > 0 && group == ChildGroup::kOwn) setpgid(pid, pid);
  return pid;
}
