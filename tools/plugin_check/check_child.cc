#include "tools/plugin_check/check_child.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <exception>
#include <mutex>

#include "tools/plugin_check/child_report.h"
#include "tools/plugin_check/descendants.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS};

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// The child's own setting: a crash is the kernel's signal, seen as such by the parent; no core
// file; nothing on the checker's standard output; gone with the parent.
void PrepareChild(pid_t parent) {
  setpgid(0, 0);
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(1);
  struct sigaction fallback = {};
  fallback.sa_handler = SIG_DFL;
  sigset_t crashes;
  sigemptyset(&crashes);
  for (int signal : kCrashSignals) {
    sigaction(signal, &fallback, nullptr);
    sigaddset(&crashes, signal);
  }
  sigprocmask(SIG_UNBLOCK, &crashes, nullptr);
  rlimit noCore = {0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
  dup2(STDERR_FILENO, STDOUT_FILENO);
}

[[noreturn]] void RunChild(const std::function<CheckVerdict(const CheckChannel&)>& body, int fd) {
  CheckChannel channel(fd);
  CheckVerdict verdict;
  try {
    verdict = body(channel);
  } catch (const std::exception& error) {
    verdict.Add(CheckResult::kFail, std::string("the check stopped: ") + error.what());
  } catch (...) {
    verdict.Add(CheckResult::kFail, "the check stopped on an exception");
  }
  channel.Verdict(verdict);
  _exit(0);
}

CheckVerdict Failed(const std::string& detail) {
  CheckVerdict verdict;
  verdict.Add(CheckResult::kFail, detail);
  return verdict;
}

// The call's error, on standard error and in *error; -1.
pid_t SystemError(const char* call, std::string* error) {
  *error = std::string(call) + ": " + strerror(errno);
  fprintf(stderr, "%s\n", error->c_str());
  return -1;
}

// Forks the child that runs `body` and writes into ends[1]; its id, or -1 with errno.
pid_t ForkChild(const std::function<CheckVerdict(const CheckChannel&)>& body, const int ends[2]) {
  fflush(nullptr);  // nothing buffered may be written twice
  pid_t parent = getpid();
  pid_t pid = fork();
  if (pid == 0) {
    close(ends[0]);
    PrepareChild(parent);
    RunChild(body, ends[1]);
  }
  return pid;
}

// Starts the child that runs `body`: its id, with the parent's end of its pipe in *pipeFd; -1,
// with the error on standard error and in *error, when it cannot be started.
pid_t StartChild(const std::function<CheckVerdict(const CheckChannel&)>& body, int* pipeFd,
                 std::string* error) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return SystemError("pipe2", error);
  pid_t pid = ForkChild(body, ends);
  int forkError = errno;
  close(ends[1]);
  if (pid < 0) {
    close(ends[0]);
    errno = forkError;
    return SystemError("fork", error);
  }
  setpgid(pid, pid);  // also here, so that the group exists before it may have to be killed
  fcntl(ends[0], F_SETFL, O_NONBLOCK);
  *pipeFd = ends[0];
  return pid;
}

// Reads one chunk of what the pipe holds into `report`; read's result (0 at the pipe's end,
// -1 with EAGAIN when it holds nothing now). *messages: how many messages the chunk completed.
ssize_t ReadChunk(int fd, ChildReport& report, size_t* messages) {
  char chunk[16 * 1024];
  ssize_t n;
  while ((n = read(fd, chunk, sizeof chunk)) < 0 && errno == EINTR) {
  }
  *messages = n > 0 ? report.Take(chunk, static_cast<size_t>(n)) : 0;
  return n;
}

int MillisecondsUntil(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::max<decltype(left)>(left, 0));
}

// Waits for messages until the child has ended, the pipe is refused, or the child has been
// silent for `timeoutSeconds`. False in the last case. The time limit is looked at between
// chunks, so that a child that never stops writing cannot hold the parent.
bool Watch(int pipeFd, int pidFd, int timeoutSeconds, ChildReport& report) {
  const std::chrono::seconds limit(timeoutSeconds);
  Clock::time_point deadline = Clock::now() + limit;
  bool pipeOpen = true;
  while (report.Refusal().empty()) {
    int left = MillisecondsUntil(deadline);
    if (left == 0) return false;
    pollfd fds[2] = {{pipeOpen ? pipeFd : -1, POLLIN, 0}, {pidFd, POLLIN, 0}};
    int ready = poll(fds, 2, left);
    if (ready < 0 && errno != EINTR) {
      perror("poll");
      return false;
    }
    if (ready <= 0) continue;
    if (fds[0].revents != 0) {
      size_t messages = 0;
      ssize_t n = ReadChunk(pipeFd, report, &messages);
      pipeOpen = n > 0 || (n < 0 && errno == EAGAIN);
      if (messages > 0) deadline = Clock::now() + limit;
    }
    // Without a process descriptor the end of the pipe stands for the end of the child.
    if (fds[1].revents != 0 || (pidFd < 0 && !pipeOpen)) return true;
  }
  return true;
}

// Kills the child with its group and every process that it started, and reaps them all; the
// child's status. The child is not reaped before its group is killed, so its id still names it.
int EndChild(pid_t pid) {
  kill(-pid, SIGKILL);
  kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  KillDescendants();
  return status;
}

// Watches the child, ends it and everything it started, and reads what it sent before its end.
ChildEnd WatchChild(pid_t pid, int pipeFd, int timeoutSeconds, ChildReport& report) {
  // A descriptor that becomes readable when the child ends, however it ends.
  int pidFd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  ChildEnd end;
  end.timeoutSeconds = timeoutSeconds;
  end.timedOut = !Watch(pipeFd, pidFd, timeoutSeconds, report);
  end.status = EndChild(pid);
  if (pidFd >= 0) close(pidFd);
  // Nothing that could write into the pipe is left, so this reads to its end.
  size_t messages = 0;
  if (!end.timedOut)
    while (report.Refusal().empty() && ReadChunk(pipeFd, report, &messages) > 0) {
    }
  return end;
}

}  // namespace

void CheckChannel::Send(const std::string& message) const {
  // Several threads of a check may report; a message goes out whole.
  static std::mutex sending;
  std::lock_guard lock(sending);
  WriteAll(m_Fd, message.data(), message.size());
}

void CheckChannel::Step(const std::string& what) const { Send(StepMessage(what)); }

void CheckChannel::Verdict(const CheckVerdict& verdict) const { Send(VerdictMessage(verdict)); }

CheckVerdict RunCheckInChild(const std::function<CheckVerdict(const CheckChannel&)>& body,
                             int timeoutSeconds) {
  AdoptOrphans();
  int pipeFd = -1;
  std::string error;
  pid_t pid = StartChild(body, &pipeFd, &error);
  if (pid < 0) return Failed(error);
  ChildReport report;
  ChildEnd end = WatchChild(pid, pipeFd, timeoutSeconds, report);
  close(pipeFd);
  return JudgeChild(report, end);
}
