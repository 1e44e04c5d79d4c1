#include "tools/capture_host/host_child.h"

#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr int kInterruptions[] = {SIGINT, SIGTERM, SIGHUP};

void Record(int status, const rusage& usage, ChildEnd* end) {
  end->exited = WIFEXITED(status);
  end->exitStatus = end->exited ? WEXITSTATUS(status) : 0;
  end->signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  end->peakKiB = usage.ru_maxrss;
}

bool Reaped(pid_t pid, int flags, ChildEnd* end) {
  int status = 0;
  rusage usage{};
  pid_t result;
  do {
    result = wait4(pid, &status, flags, &usage);
  } while (result < 0 && errno == EINTR);
  if (result != pid) return false;
  Record(status, usage, end);
  return true;
}

void KillAndReap(pid_t pid, ChildEnd* end) {
  kill(pid, SIGKILL);
  Reaped(pid, 0, end);
}

double Now() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec + now.tv_nsec / 1e9;
}

timespec Interval(double seconds) {
  timespec interval;
  interval.tv_sec = static_cast<time_t>(seconds);
  interval.tv_nsec = static_cast<long>((seconds - interval.tv_sec) * 1e9);
  return interval;
}

void InitSpawnMask(posix_spawnattr_t* attributes, const sigset_t& mask) {
  posix_spawnattr_init(attributes);
  posix_spawnattr_setsigmask(attributes, &mask);
  posix_spawnattr_setflags(attributes, POSIX_SPAWN_SETSIGMASK);
}

// Both output streams into the log file, when there is one.
void InitSpawnOutput(posix_spawn_file_actions_t* actions, const char* logPath) {
  posix_spawn_file_actions_init(actions);
  if (logPath == nullptr) return;
  posix_spawn_file_actions_addopen(actions, STDOUT_FILENO, logPath, O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(actions, STDOUT_FILENO, STDERR_FILENO);
}

}  // namespace

HostSignals HostBlockSignals(HostInterrupts interrupts) {
  signal(SIGCHLD, SIG_DFL);
  HostSignals signals;
  sigemptyset(&signals.waited);
  sigaddset(&signals.waited, SIGCHLD);
  if (interrupts == HostInterrupts::kTaken)
    for (int interruption : kInterruptions) sigaddset(&signals.waited, interruption);
  sigprocmask(SIG_BLOCK, &signals.waited, &signals.former);
  return signals;
}

pid_t HostStartChild(const HostCommand& command, const HostSignals& signals) {
  posix_spawnattr_t attributes;
  InitSpawnMask(&attributes, signals.former);
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

int HostWaitChild(pid_t pid, int timeoutSeconds, const HostSignals& signals, ChildEnd* end) {
  double deadline = Now() + timeoutSeconds;
  while (!Reaped(pid, WNOHANG, end)) {
    double remaining = deadline - Now();
    if (remaining <= 0) {
      KillAndReap(pid, end);
      end->timedOut = true;
      return 0;
    }
    timespec interval = Interval(remaining);
    int signal = sigtimedwait(&signals.waited, nullptr, &interval);
    if (signal > 0 && signal != SIGCHLD) {
      KillAndReap(pid, end);
      return signal;
    }
  }
  return 0;
}

void HostRaise(int signal) {
  ::signal(signal, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(signal);
}
