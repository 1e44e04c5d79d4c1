#include "tools/capture_host/host_child.h"

#include <errno.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

sigset_t WaitedSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGCHLD}) sigaddset(&set, signal);
  return set;
}

void Record(int status, ChildEnd* end) {
  end->exited = WIFEXITED(status);
  end->exitStatus = end->exited ? WEXITSTATUS(status) : 0;
  end->signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

bool Reaped(pid_t pid, int flags, ChildEnd* end) {
  int status = 0;
  pid_t result;
  do {
    result = waitpid(pid, &status, flags);
  } while (result < 0 && errno == EINTR);
  if (result != pid) return false;
  Record(status, end);
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

}  // namespace

void HostBlockSignals(sigset_t* former) {
  signal(SIGCHLD, SIG_DFL);
  sigset_t set = WaitedSignals();
  sigprocmask(SIG_BLOCK, &set, former);
}

pid_t HostStartChild(const char* program, const sigset_t& former) {
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setsigmask(&attributes, &former);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
  char* const argv[] = {const_cast<char*>(program), nullptr};
  pid_t pid = -1;
  int result = posix_spawn(&pid, program, nullptr, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  if (result == 0) return pid;
  errno = result;
  return -1;
}

int HostWaitChild(pid_t pid, int timeoutSeconds, ChildEnd* end) {
  sigset_t set = WaitedSignals();
  double deadline = Now() + timeoutSeconds;
  while (!Reaped(pid, WNOHANG, end)) {
    double remaining = deadline - Now();
    if (remaining <= 0) {
      KillAndReap(pid, end);
      end->timedOut = true;
      return 0;
    }
    timespec interval = Interval(remaining);
    int signal = sigtimedwait(&set, nullptr, &interval);
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
