// The forked child of a check: what comes back when the body answers, throws, crashes, ends early
// or hangs, and that a hung child goes with everything it started.
#include "tools/plugin_check/check_child.h"

#include <gtest/gtest.h>
#include <poll.h>
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

TEST(RunCheckInChild, KillsASilentChildWithItsProcessGroup) {
  int started[2];
  ASSERT_EQ(pipe(started), 0);
  CheckVerdict hung = RunCheckInChild(
      [&](const CheckChannel& channel) -> CheckVerdict {
        pid_t helper = fork();
        if (helper == 0)
          for (;;) pause();
        if (write(started[1], &helper, sizeof helper) != sizeof helper) _exit(1);
        channel.Step("waiting for nothing");
        for (;;) pause();
      },
      5);
  EXPECT_EQ(hung.detail, "no answer in 5 s during waiting for nothing");

  close(started[1]);  // a child that never wrote leaves the read at the end of the pipe
  pid_t helper = 0;
  ASSERT_EQ(read(started[0], &helper, sizeof helper), static_cast<ssize_t>(sizeof helper));
  close(started[0]);
  // The helper is no child of the test: its end shows through a process descriptor (or it is gone).
  int helperEnd = static_cast<int>(syscall(SYS_pidfd_open, helper, 0));
  if (helperEnd >= 0) {
    pollfd end = {helperEnd, POLLIN, 0};
    EXPECT_EQ(poll(&end, 1, 60 * 1000), 1) << "the helper still runs";
    close(helperEnd);
  }
}

}  // namespace
