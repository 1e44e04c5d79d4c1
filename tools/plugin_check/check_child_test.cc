// The forked child of a check: what comes back when the body answers, throws, crashes, ends early
// or hangs, and that the child goes with everything it started.
#include "tools/plugin_check/check_child.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <stdexcept>

namespace {

CheckVerdict Found(CheckResult result, const std::string& detail) {
  CheckVerdict verdict;
  verdict.Add(result, detail);
  return verdict;
}

TEST(RunCheckInChild, HandsOverTheVerdictOrWhatEndedTheChild) {
  const std::string odd = "quote \" newline \n byte \xff";
  CheckVerdict answered =
      RunCheckInChild([&](const CheckChannel&) { return Found(CheckResult::kWarn, odd); }, 60);
  EXPECT_EQ(answered.result, CheckResult::kWarn);
  EXPECT_EQ(answered.detail, odd);

  CheckVerdict thrown =
      RunCheckInChild([](const CheckChannel&) -> CheckVerdict { throw std::runtime_error("no"); }, 60);
  EXPECT_EQ(thrown.detail, "the check stopped: no");

  CheckVerdict crashed = RunCheckInChild(
      [](const CheckChannel& channel) {
        channel.Step("writing to address 16");
        volatile uintptr_t address = 16;  // no null pointer: a sanitizer would report that itself
        *reinterpret_cast<volatile int*>(address) = 1;
        return CheckVerdict();
      },
      60);
  EXPECT_EQ(crashed.result, CheckResult::kFail);
  EXPECT_EQ(crashed.detail, "killed by signal 11 (Segmentation fault) during writing to address 16");

  CheckVerdict ended = RunCheckInChild(
      [](const CheckChannel& channel) -> CheckVerdict {
        channel.Step("leaving");
        _exit(3);
      },
      60);
  EXPECT_EQ(ended.detail, "ended with status 3 without a verdict during leaving");
}

// Gone, or ends within a minute; it is no child of the test, so its end shows through a process
// descriptor.
bool Ends(pid_t process) {
  int end = static_cast<int>(syscall(SYS_pidfd_open, process, 0));
  if (end < 0) return true;
  pollfd ended = {end, POLLIN, 0};
  bool ends = poll(&ended, 1, 60 * 1000) == 1;
  close(end);
  return ends;
}

// In a child of the check: a helper in the check's process group or in a session of its own,
// waiting for ever; its id goes to `started` once it is there.
void StartHelper(bool ownSession, int started) {
  int ready[2];
  if (pipe(ready) != 0) _exit(1);
  pid_t helper = fork();
  if (helper == 0) {
    if (ownSession) setsid();
    if (write(ready[1], "r", 1) != 1) _exit(1);
    for (;;) pause();
  }
  char byte;
  if (read(ready[0], &byte, 1) != 1 || write(started, &helper, sizeof helper) != sizeof helper) _exit(1);
}

// Whatever the child started ends with it, in the child's process group or outside it, when the
// child hangs and when it answers.
TEST(RunCheckInChild, EndsEveryProcessThatTheChildStarted) {
  struct Case {
    bool ownSession;
    bool hangs;
    const char* detail;
  };
  const Case kCases[] = {
      {false, true, "no answer in 5 s during waiting for nothing"},
      {true, false, "answered"},
  };
  for (const Case& c : kCases) {
    int started[2];
    ASSERT_EQ(pipe(started), 0);
    CheckVerdict verdict = RunCheckInChild(
        [&](const CheckChannel& channel) {
          StartHelper(c.ownSession, started[1]);
          channel.Step("waiting for nothing");
          while (c.hangs) pause();
          return Found(CheckResult::kPass, "answered");
        },
        5);
    EXPECT_EQ(verdict.detail, c.detail);
    close(started[1]);  // a child that never wrote leaves the read at the end of the pipe
    pid_t helper = 0;
    ASSERT_EQ(read(started[0], &helper, sizeof helper), static_cast<ssize_t>(sizeof helper));
    close(started[0]);
    bool ends = Ends(helper);
    if (!ends) kill(helper, SIGKILL);
    EXPECT_TRUE(ends) << "the helper still runs; in a session of its own: " << c.ownSession;
  }
}

}  // namespace
