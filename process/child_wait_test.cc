// The one wait, over real forked children: what ends it (the child, the limit and its restart, an
// interruption, the stream's answer), what it does not take for the child's end (a closed stream),
// and that the child's group goes with it; once with a process descriptor and again in a child
// where a seccomp filter refuses pidfd_open, and then signalfd too, as older kernels and sandboxes do.
#include "process/child_wait.h"

#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <poll.h>
#include <stddef.h>
#include <stdio.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "process/child_start.h"
#include "tests/support/forked_child.h"

namespace {

using Clock = std::chrono::steady_clock;

// What a case's child and the test's side of it share; each pipe's [0] reads what [1] writes.
struct Run {
  int stream[2];  // the child's stream to the wait
  int go[2];      // the test's word to the child
  int life[2];    // held open only by what the child starts: its end ends the reading
  Clock::time_point start;
  std::string streamed;
};

struct Case {
  const char* name;
  int timeoutSeconds;
  bool killGroup;
  bool interruptible;  // SIGUSR2 interrupts
  std::function<int(Run&)> child;
  std::function<StreamAnswer(Run&)> onChunk;  // after each chunk; null: the limit runs on
  std::string ended;                          // as Describe gives it
  const char* streamed;                       // null: not compared
};

std::string Describe(const ChildEnd& end) {
  std::string text =
      end.exited ? "exit " + std::to_string(end.exitStatus) : "signal " + std::to_string(end.signal);
  if (end.timedOut) text += ", timed out";
  if (end.interruption != 0) text += ", interrupted by " + std::to_string(end.interruption);
  return text;
}

[[noreturn]] void Forever() {
  for (;;) pause();
}

void Say(int fd, const char* text) {
  if (write(fd, text, strlen(text)) < 0) _exit(100);
}

// Whether what the child started has ended; the bound only keeps a survivor from hanging the suite.
bool StartedProcessesEnded(Run& run) {
  pollfd ended = {run.life[0], POLLIN, 0};
  char byte;
  return poll(&ended, 1, 60 * 1000) == 1 && read(run.life[0], &byte, 1) == 0;
}

// A limit of 60 s runs out only when the wait misses what should have ended it.
const Case kCases[] = {
    {"the body's result is the exit status", 60, false, false, [](Run&) { return 7; }, nullptr, "exit 7", ""},
    {"an exception aborts the child", 60, false, false,
     [](Run&) -> int { throw std::runtime_error("out of the body"); }, nullptr, "signal 6", ""},
    {"a message restarts the limit", 4, false, false,
     [](Run& run) {
       char byte;
       Say(run.stream[1], "a");
       if (read(run.go[0], &byte, 1) != 1) return 1;
       Say(run.stream[1], "b");
       Forever();
     },
     [](Run& run) {
       if (run.streamed == "ab") return StreamAnswer{false, true};
       // The first limit passes in full: only the restart keeps the wait for "b".
       std::this_thread::sleep_until(run.start + std::chrono::seconds(5));
       Say(run.go[1], "g");
       return StreamAnswer{true, false};
     },
     "signal 9", "ab"},
    {"a child that never stops writing runs out of time", 1, false, false,
     [](Run& run) -> int {
       for (;;) Say(run.stream[1], "x");
     },
     [](Run& run) {
       return StreamAnswer{false, Clock::now() > run.start + std::chrono::minutes(1)};
     },
     "signal 9, timed out", nullptr},
    {"the stream's answer stops the wait", 60, false, false,
     [](Run& run) -> int {
       Say(run.stream[1], "x");
       Forever();
     },
     [](Run&) {
       return StreamAnswer{false, true};
     },
     "signal 9", "x"},
    {"an interruption ends the wait", 60, false, true,
     [](Run&) -> int {
       kill(getppid(), SIGUSR2);
       Forever();
     },
     nullptr, "signal 9, interrupted by 12", ""},
    {"a closed stream is no end of the child", 1, false, false,
     [](Run& run) -> int {
       close(run.stream[1]);
       Forever();
     },
     nullptr, "signal 9, timed out", ""},
    {"the child's group goes with it", 60, true, false,
     [](Run&) {
       if (fork() == 0) Forever();
       return 0;
     },
     nullptr, "exit 0", ""},
};

// Starts the case's child, with SIGUSR2 blocked in the test: its id, or -1.
pid_t StartCase(const Case& c, Run& run) {
  run.start = Clock::now();
  auto child = [&] {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // gone with a waiting process that a fault ended
    return c.child(run);
  };
  pid_t pid = ForkChild(child, c.killGroup ? ChildGroup::kOwn : ChildGroup::kParents);
  for (int fd : {run.stream[1], run.go[0], run.life[1]}) close(fd);
  return pid;
}

ChildEnd WaitCase(const Case& c, pid_t pid, Run& run, const sigset_t& interruptions) {
  ChildWatch watch;
  watch.timeoutSeconds = c.timeoutSeconds;
  watch.killGroup = c.killGroup;
  watch.interruptions = c.interruptible ? &interruptions : nullptr;
  watch.stream = run.stream[0];
  watch.onChunk = [&](const char* bytes, size_t size) {
    run.streamed.append(bytes, size);
    return c.onChunk ? c.onChunk(run) : StreamAnswer{};
  };
  return pid > 0 ? WaitChild(pid, watch) : ChildEnd();
}

// What the wait left behind that it should not have; a survivor of the group is killed.
std::string LeftBehind(const Case& c, pid_t pid, Run& run, const sigset_t& interruptions) {
  std::string left;
  if (!StartedProcessesEnded(run)) {
    left += "what the child started runs on; ";
    if (c.killGroup) kill(-pid, SIGKILL);
  }
  sigset_t pending;
  sigpending(&pending);
  timespec now = {};
  if (sigismember(&pending, SIGUSR2) && sigtimedwait(&interruptions, nullptr, &now) == SIGUSR2)
    left += "SIGUSR2 is left pending; ";
  return left;
}

// Runs the case; empty when all came as expected, else what did not.
std::string Mismatch(const Case& c) {
  Run run;
  if (pipe2(run.stream, O_CLOEXEC) != 0 || pipe2(run.go, O_CLOEXEC) != 0 || pipe(run.life) != 0)
    return std::string("pipe: ") + strerror(errno);
  sigset_t interruptions, former;
  sigemptyset(&interruptions);
  sigaddset(&interruptions, SIGUSR2);
  pthread_sigmask(SIG_BLOCK, &interruptions, &former);
  pid_t pid = StartCase(c, run);
  ChildEnd end = WaitCase(c, pid, run, interruptions);
  std::string mismatch;
  if (Describe(end) != c.ended) mismatch += "ended " + Describe(end) + "; ";
  if (c.streamed != nullptr && run.streamed != c.streamed) mismatch += "streamed \"" + run.streamed + "\"; ";
  mismatch += LeftBehind(c, pid, run, interruptions);
  pthread_sigmask(SIG_SETMASK, &former, nullptr);
  for (int fd : {run.stream[0], run.go[1], run.life[0]}) close(fd);
  return mismatch.empty() ? "" : std::string(c.name) + ": " + mismatch;
}

TEST(WaitChild, EndsWhenTheChildTheLimitAnInterruptionOrTheStreamSays) {
  for (const Case& c : kCases) EXPECT_EQ(Mismatch(c), "");
}

// Makes the calls `numbers` fail with ENOSYS from now on in this process and its children, as on
// a kernel without them. The numbers are the build's architecture's.
bool RefuseCalls(const std::vector<long>& numbers) {
  std::vector<sock_filter> program = {BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr))};
  for (long number : numbers) {
    program.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<uint32_t>(number), 0, 1));
    program.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS));
  }
  program.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
  sock_fprog filter = {static_cast<unsigned short>(program.size()), program.data()};
  return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) == 0;
}

TEST(WaitChild, EndsTheSameWithoutAProcessDescriptor) {
  struct Refusal {
    const char* name;
    std::vector<long> calls;
  };
  const Refusal kRefusals[] = {
      {"SIGCHLD through a signalfd", {SYS_pidfd_open}},
      {"no descriptor at all", {SYS_pidfd_open, SYS_signalfd4, SYS_signalfd}},
  };
  for (const Refusal& refusal : kRefusals) {
    int failures = velmora::test::RunInChild([&] {
      if (!RefuseCalls(refusal.calls)) return 100;
      int failed = 0;
      for (const Case& c : kCases) {
        std::string mismatch = Mismatch(c);
        if (!mismatch.empty()) fprintf(stderr, "%s: %s\n", refusal.name, mismatch.c_str());
        failed += !mismatch.empty();
      }
      return failed;
    });
    EXPECT_EQ(failures, 0) << refusal.name << ": the cases that failed are on standard error";
  }
}

}  // namespace
