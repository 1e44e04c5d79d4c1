// Starting real programs (/bin/sh and the programs on PATH) and waiting for them, as the host, the
// test parent and the start-up benchmark do. Each test restores the signal mask it found.
#include "process/child_start.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "process/child_wait.h"
#include "process/interruptions.h"

namespace {

class SpawnChildTest : public ::testing::Test {
 protected:
  void SetUp() override { sigprocmask(SIG_BLOCK, nullptr, &m_Mask); }
  void TearDown() override {
    sigset_t pending;
    sigpending(&pending);
    ASSERT_FALSE(sigismember(&pending, SIGTERM)) << "a test left its SIGTERM pending";
    sigprocmask(SIG_SETMASK, &m_Mask, nullptr);
    if (!m_LogPath.empty()) unlink(m_LogPath.c_str());
  }

  // Starts `sh -c script` with the mask from before the interruptions were blocked and waits for
  // it, taking them when `interruptible`.
  ChildEnd RunShell(const char* script, bool interruptible, int timeoutSeconds) {
    Interruptions interruptions = BlockInterruptions();
    if (!interruptible) sigprocmask(SIG_SETMASK, &interruptions.former, nullptr);
    const char* argv[] = {"/bin/sh", "-c", script, nullptr};
    ChildCommand command = {const_cast<char* const*>(argv), false,
                            m_LogPath.empty() ? nullptr : m_LogPath.c_str(), &interruptions.former};
    pid_t pid = SpawnChild(command);
    EXPECT_GT(pid, 0) << strerror(errno);
    ChildWatch watch;
    watch.timeoutSeconds = timeoutSeconds;
    watch.interruptions = interruptible ? &interruptions.taken : nullptr;
    ChildEnd end = WaitChild(pid, watch);
    EXPECT_EQ(kill(pid, 0), -1) << "the child has been reaped";
    return end;
  }

  std::string MakeLog() {
    char pattern[] = "/tmp/velmora-child-start.XXXXXX";
    int fd = mkstemp(pattern);
    EXPECT_GE(fd, 0) << strerror(errno);
    close(fd);
    m_LogPath = pattern;
    return m_LogPath;
  }

  sigset_t m_Mask;
  std::string m_LogPath;
};

// A mask as /proc/PID/status shows it: bit n-1 for signal n, 16 hex digits.
std::string MaskHex(const sigset_t& mask) {
  unsigned long long bits = 0;
  for (int signal = 1; signal <= 64; ++signal)
    if (sigismember(&mask, signal) == 1) bits |= 1ULL << (signal - 1);
  char hex[17];
  snprintf(hex, sizeof hex, "%016llx", bits);
  return hex;
}

std::string Contents(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST_F(SpawnChildTest, ExitStatusAndPeakMemoryAreReported) {
  ChildEnd end = RunShell("exit 3", false, 60);
  EXPECT_EQ(end.interruption, 0);
  EXPECT_TRUE(end.exited);
  EXPECT_EQ(end.exitStatus, 3);
  EXPECT_EQ(end.signal, 0);
  EXPECT_FALSE(end.timedOut);
  EXPECT_GT(end.peakKiB, 0);
}

TEST_F(SpawnChildTest, SignalThatEndedTheChildIsReported) {
  ChildEnd end = RunShell("kill -USR1 $$", false, 60);
  EXPECT_EQ(end.interruption, 0);
  EXPECT_FALSE(end.exited);
  EXPECT_EQ(end.signal, SIGUSR1);
}

TEST_F(SpawnChildTest, ChildPastTheTimeoutIsKilled) {
  ChildEnd end = RunShell("exec sleep 600", false, 1);
  EXPECT_EQ(end.interruption, 0);
  EXPECT_TRUE(end.timedOut);
  EXPECT_FALSE(end.exited);
  EXPECT_EQ(end.signal, SIGKILL);
}

// The child starts with the mask from before BlockInterruptions, and the interruption ends the wait.
TEST_F(SpawnChildTest, TakenInterruptionEndsTheChild) {
  ChildEnd end = RunShell("kill -TERM $PPID; exec sleep 600", true, 600);
  EXPECT_EQ(end.interruption, SIGTERM);
  EXPECT_FALSE(end.timedOut);
  EXPECT_EQ(end.signal, SIGKILL);
}

TEST_F(SpawnChildTest, LogFileTakesBothStreams) {
  std::string log = MakeLog();
  ChildEnd end = RunShell("echo out; echo err >&2; grep SigBlk /proc/self/status", true, 60);
  EXPECT_TRUE(end.exited);
  EXPECT_EQ(Contents(log), "out\nerr\nSigBlk:\t" + MaskHex(m_Mask) + "\n") << "the child has the former mask";
}

TEST_F(SpawnChildTest, PathSearchAndMissingPrograms) {
  const char* argv[] = {"sh", "-c", "exit 4", nullptr};
  ChildCommand command = {const_cast<char* const*>(argv), true};
  pid_t pid = SpawnChild(command);
  ASSERT_GT(pid, 0) << strerror(errno);
  EXPECT_EQ(WaitChild(pid, ChildWatch()).exitStatus, 4);

  command.searchPath = false;
  errno = 0;
  EXPECT_EQ(SpawnChild(command), -1) << "no sh in the working folder";
  EXPECT_EQ(errno, ENOENT);
  argv[0] = "/nonexistent/capture";
  errno = 0;
  EXPECT_EQ(SpawnChild(command), -1);
  EXPECT_EQ(errno, ENOENT);
}

}  // namespace
