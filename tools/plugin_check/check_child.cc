#include "tools/plugin_check/check_child.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <exception>
#include <mutex>

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kStep = 'S';
constexpr char kVerdict = 'V';
constexpr size_t kHeader = 1 + sizeof(uint32_t);
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

// The parent's side: the messages read so far and what they said.
struct ChildWatch {
  std::string buffer;
  std::string lastStep;
  bool haveVerdict = false;
  CheckVerdict verdict;

  // Takes the complete messages out of the buffer; true when there was one.
  bool TakeMessages() {
    bool any = false;
    while (buffer.size() >= kHeader) {
      uint32_t length;
      memcpy(&length, buffer.data() + 1, sizeof length);
      if (buffer.size() < kHeader + length) break;
      std::string payload = buffer.substr(kHeader, length);
      if (buffer[0] == kStep) lastStep = payload;
      if (buffer[0] == kVerdict && payload.size() >= 2) {
        haveVerdict = true;
        verdict.result = static_cast<CheckResult>(payload[0] - '0');
        verdict.unopenable = payload[1] == '1';
        verdict.detail = payload.substr(2);
      }
      buffer.erase(0, kHeader + length);
      any = true;
    }
    return any;
  }

  // Reads what the pipe holds now; false at its end.
  bool Read(int fd) {
    char chunk[4096];
    for (;;) {
      ssize_t n = read(fd, chunk, sizeof chunk);
      if (n > 0) {
        buffer.append(chunk, static_cast<size_t>(n));
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      return n < 0 && errno == EAGAIN;
    }
  }

  std::string During() const { return lastStep.empty() ? "" : " during " + lastStep; }
};

// Waits for messages until the child has ended, or has been silent for `timeoutSeconds`.
// True when it ended by itself.
bool Watch(int pipeFd, int pidFd, int timeoutSeconds, ChildWatch& watch) {
  Clock::time_point deadline = Clock::now() + std::chrono::seconds(timeoutSeconds);
  bool pipeOpen = true;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd fds[2] = {{pipeOpen ? pipeFd : -1, POLLIN, 0}, {pidFd, POLLIN, 0}};
    int ready = poll(fds, 2, static_cast<int>(left));
    if (ready < 0 && errno != EINTR) {
      perror("poll");
      return false;
    }
    if (ready <= 0) continue;
    if (fds[0].revents != 0) {
      pipeOpen = watch.Read(pipeFd);
      if (watch.TakeMessages()) deadline = Clock::now() + std::chrono::seconds(timeoutSeconds);
    }
    // Without a process descriptor the end of the pipe stands for the end of the child.
    if (fds[1].revents != 0 || (pidFd < 0 && !pipeOpen)) return true;
  }
}

std::string SignalText(int signal) {
  const char* name = strsignal(signal);
  return "killed by signal " + std::to_string(signal) + " (" + (name != nullptr ? name : "?") + ")";
}

}  // namespace

void CheckChannel::Send(char kind, const std::string& payload) const {
  // Several threads of a check may report; a message goes out whole.
  static std::mutex sending;
  std::string message(1, kind);
  uint32_t length = static_cast<uint32_t>(payload.size());
  message.append(reinterpret_cast<const char*>(&length), sizeof length).append(payload);
  std::lock_guard lock(sending);
  WriteAll(m_Fd, message.data(), message.size());
}

void CheckChannel::Step(const std::string& what) const { Send(kStep, what); }

void CheckChannel::Verdict(const CheckVerdict& verdict) const {
  std::string payload(1, static_cast<char>('0' + static_cast<int>(verdict.result)));
  payload += verdict.unopenable ? '1' : '0';
  Send(kVerdict, payload + verdict.detail);
}

CheckVerdict RunCheckInChild(const std::function<CheckVerdict(const CheckChannel&)>& body,
                             int timeoutSeconds) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) {
    perror("pipe2");
    return Failed(std::string("pipe2: ") + strerror(errno));
  }
  fflush(nullptr);  // nothing buffered may be written twice
  pid_t parent = getpid();
  pid_t pid = fork();
  if (pid == 0) {
    close(ends[0]);
    PrepareChild(parent);
    RunChild(body, ends[1]);
  }
  int forkError = errno;
  close(ends[1]);
  if (pid < 0) {
    close(ends[0]);
    fprintf(stderr, "fork: %s\n", strerror(forkError));
    return Failed(std::string("fork: ") + strerror(forkError));
  }
  setpgid(pid, pid);  // also here, so that the group exists before it may have to be killed
  fcntl(ends[0], F_SETFL, O_NONBLOCK);
  // A descriptor that becomes readable when the child ends, however it ends.
  int pidFd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));

  ChildWatch watch;
  bool ended = Watch(ends[0], pidFd, timeoutSeconds, watch);
  if (ended) {
    watch.Read(ends[0]);  // what the child wrote just before it ended
    watch.TakeMessages();
  }
  // The child is not reaped yet, so its id still names its group: whatever it left running goes.
  kill(-pid, SIGKILL);
  kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  close(ends[0]);
  if (pidFd >= 0) close(pidFd);

  if (watch.haveVerdict) return watch.verdict;
  if (!ended) return Failed("no answer in " + std::to_string(timeoutSeconds) + " s" + watch.During());
  if (WIFSIGNALED(status)) return Failed(SignalText(WTERMSIG(status)) + watch.During());
  return Failed("ended with status " + std::to_string(WEXITSTATUS(status)) + " without a verdict" +
                watch.During());
}
