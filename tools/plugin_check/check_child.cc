#include "tools/plugin_check/check_child.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <exception>
#include <mutex>

#include "process/child_start.h"
#include "process/child_wait.h"
#include "tools/plugin_check/child_report.h"
#include "tools/plugin_check/descendants.h"

namespace {

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

// Forks the child that runs `body` and writes into ends[1], in a process group of its own; its id,
// or -1 with errno.
pid_t ForkCheck(const std::function<CheckVerdict(const CheckChannel&)>& body, const int ends[2]) {
  pid_t parent = getpid();
  auto child = [&]() -> int {
    close(ends[0]);
    PrepareChild(parent);
    RunChild(body, ends[1]);
  };
  return ForkChild(child, ChildGroup::kOwn);
}

// Starts the child that runs `body`: its id, with the parent's end of its pipe in *pipeFd; -1,
// with the error on standard error and in *error, when it cannot be started.
pid_t StartChild(const std::function<CheckVerdict(const CheckChannel&)>& body, int* pipeFd,
                 std::string* error) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return SystemError("pipe2", error);
  pid_t pid = ForkCheck(body, ends);
  int forkError = errno;
  close(ends[1]);
  if (pid < 0) {
    close(ends[0]);
    errno = forkError;
    return SystemError("fork", error);
  }
  fcntl(ends[0], F_SETFL, O_NONBLOCK);
  *pipeFd = ends[0];
  return pid;
}

// Reads what the pipe holds into `report` until its end, a refusal, or nothing more for now.
void ReadRest(int fd, ChildReport& report) {
  char chunk[16 * 1024];
  while (report.Refusal().empty()) {
    ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    report.Take(chunk, static_cast<size_t>(n));
  }
}

// Watches the child, ends it with its group and everything it started, and reads what it sent
// before its end. A complete message restarts the limit; a refused pipe ends the watch.
ChildEnd WatchChild(pid_t pid, int pipeFd, int timeoutSeconds, ChildReport& report) {
  ChildWatch watch;
  watch.timeoutSeconds = timeoutSeconds;
  watch.killGroup = true;
  watch.stream = pipeFd;
  watch.onChunk = [&report](const char* bytes, size_t size) {
    size_t messages = report.Take(bytes, size);
    return StreamAnswer{messages > 0, !report.Refusal().empty()};
  };
  ChildEnd end = WaitChild(pid, watch);
  KillDescendants();
  // Nothing that could write into the pipe is left, so this reads to its end.
  if (!end.timedOut) ReadRest(pipeFd, report);
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
  return JudgeChild(report, end, timeoutSeconds);
}
