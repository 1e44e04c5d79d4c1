#include "process/child_wait.h"

#include <errno.h>
#include <poll.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/signalfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>

namespace {

using Clock = std::chrono::steady_clock;

// How often a wait without a descriptor to wake it looks for what it waits for.
constexpr int kLookMilliseconds = 10;

// Takes every pending signal of `set`; the last one taken, or 0.
int TakePending(const sigset_t& set) {
  timespec now = {};
  int taken = 0;
  for (int signal; (signal = sigtimedwait(&set, nullptr, &now)) > 0;) taken = signal;
  return taken;
}

// Readable once the child has ended: its process descriptor, else a signalfd for SIGCHLD, else
// none (Fd() -1).
class EndWatch {
 public:
  explicit EndWatch(pid_t pid);
  ~EndWatch();
  int Fd() const { return m_Fd; }
  // Whether the child has ended; it stays unreaped.
  bool Ended() const;

 private:
  void TakeChildSignals();
  pid_t m_Pid;
  int m_Fd;
  bool m_Signals = false;  // SIGCHLD tells of the end, blocked here for the wait
  bool m_Unblock = false;  // it was not blocked before
  sigset_t m_Child;
};

EndWatch::EndWatch(pid_t pid) : m_Pid(pid), m_Fd(static_cast<int>(syscall(SYS_pidfd_open, pid, 0))) {
  if (m_Fd >= 0) return;
  // A kernel without the call, or a filter that refuses it, is why there is a fallback at all.
  if (errno != ENOSYS && errno != EPERM) perror("pidfd_open");
  TakeChildSignals();
}

void EndWatch::TakeChildSignals() {
  sigemptyset(&m_Child);
  sigaddset(&m_Child, SIGCHLD);
  sigset_t former;
  pthread_sigmask(SIG_BLOCK, &m_Child, &former);
  m_Signals = true;
  m_Unblock = sigismember(&former, SIGCHLD) == 0;
  m_Fd = signalfd(-1, &m_Child, SFD_NONBLOCK | SFD_CLOEXEC);
  if (m_Fd < 0) perror("signalfd");
}

EndWatch::~EndWatch() {
  if (m_Fd >= 0) close(m_Fd);
  if (m_Unblock) pthread_sigmask(SIG_UNBLOCK, &m_Child, nullptr);
}

bool EndWatch::Ended() const {
  if (m_Signals) TakePending(m_Child);  // so that the signalfd is readable only for a later one
  siginfo_t info = {};
  return waitid(P_PID, m_Pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == m_Pid;
}

// Readable once one of the interrupting signals is pending: a signalfd, or none (Fd() -1).
class InterruptWatch {
 public:
  explicit InterruptWatch(const sigset_t* signals);
  ~InterruptWatch() {
    if (m_Fd >= 0) close(m_Fd);
  }
  int Fd() const { return m_Fd; }
  bool Blind() const { return m_Signals != nullptr && m_Fd < 0; }
  // The interrupting signal that arrived, taken; 0 when none did.
  int Taken() const { return m_Signals != nullptr ? TakePending(*m_Signals) : 0; }

 private:
  const sigset_t* m_Signals;
  int m_Fd = -1;
};

InterruptWatch::InterruptWatch(const sigset_t* signals) : m_Signals(signals) {
  if (signals == nullptr) return;
  m_Fd = signalfd(-1, signals, SFD_NONBLOCK | SFD_CLOEXEC);
  if (m_Fd < 0) perror("signalfd");
}

std::chrono::seconds Limit(const ChildWatch& watch) { return std::chrono::seconds(watch.timeoutSeconds); }

int MillisecondsUntil(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<decltype(left)>(left, 0, INT_MAX));
}

// Reads one chunk of the stream and hands it over; false when the answer stops the wait. The end
// of the stream, or a failing read, sets *stream to -1.
bool TakeChunk(const ChildWatch& watch, int* stream, Clock::time_point* deadline) {
  char chunk[16 * 1024];
  ssize_t n = read(*stream, chunk, sizeof chunk);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
  if (n < 0) perror("read");
  if (n <= 0) {
    *stream = -1;
    return true;
  }
  StreamAnswer answer = watch.onChunk ? watch.onChunk(chunk, static_cast<size_t>(n)) : StreamAnswer{};
  if (answer.restartLimit) *deadline = Clock::now() + Limit(watch);
  return !answer.stop;
}

// Watches until the wait is over: the child ended, or what ended the wait is in *end.
void Watch(const ChildWatch& watch, const EndWatch& child, const InterruptWatch& interrupts, ChildEnd* end) {
  Clock::time_point deadline = Clock::now() + Limit(watch);
  int stream = watch.stream;
  for (;;) {
    if (child.Ended() || (end->interruption = interrupts.Taken()) != 0) return;
    int left = MillisecondsUntil(deadline);
    if (left == 0) {
      end->timedOut = true;
      return;
    }
    if (child.Fd() < 0 || interrupts.Blind()) left = std::min(left, kLookMilliseconds);
    pollfd fds[3] = {{child.Fd(), POLLIN, 0}, {interrupts.Fd(), POLLIN, 0}, {stream, POLLIN, 0}};
    int ready = poll(fds, 3, left);
    if (ready < 0 && errno != EINTR) return perror("poll");
    if (ready > 0 && fds[2].revents != 0 && !TakeChunk(watch, &stream, &deadline)) return;
  }
}

void Reap(pid_t pid, ChildEnd* end) {
  int status = 0;
  rusage usage = {};
  pid_t reaped;
  while ((reaped = wait4(pid, &status, 0, &usage)) < 0 && errno == EINTR) {
  }
  if (reaped != pid) return perror("wait4");
  end->exited = WIFEXITED(status);
  end->exitStatus = end->exited ? WEXITSTATUS(status) : 0;
  end->signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  end->peakKiB = usage.ru_maxrss;
}

}  // namespace

ChildEnd WaitChild(pid_t pid, const ChildWatch& watch) {
  ChildEnd end;
  {
    EndWatch child(pid);
    InterruptWatch interrupts(watch.interruptions);
    Watch(watch, child, interrupts, &end);
  }
  // The child is not reaped before its group is killed, so that its id still names the group.
  if (watch.killGroup) kill(-pid, SIGKILL);
  kill(pid, SIGKILL);  // nothing to a child that has ended
  Reap(pid, &end);
  return end;
}
