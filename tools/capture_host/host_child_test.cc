// Starting and waiting for real child processes (/bin/sh and the programs on PATH), as the host,
// the test parent and the start-up benchmark do. Each test restores the signal mask it found.
#include "tools/capture_host/host_child.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

class HostChildTest : public ::testing::Test {
 protected:
  void SetUp() override { sigprocmask(SIG_BLOCK, nullptr, &m_Mask); }
  void TearDown() override {
    sigset_t pending;
    sigpending(&pending);
    ASSERT_FALSE(sigismember(&pending, SIGTERM)) << "a test left its SIGTERM pending";
    sigprocmask(SIG_SETMASK, &m_Mask, nullptr);
    if (!m_LogPath.empty()) unlink(m_LogPath.c_str());
  }

  // Starts `sh -c script` and waits for it; the command's other settings as given.
  ChildEnd RunShell(const char* script, HostInterrupts interrupts, int timeoutSeconds, int* signal) {
    HostSignals signals = HostBlockSignals(interrupts);
    const char* argv[] = {"/bin/sh", "-c", script, nullptr};
    HostCommand command = {const_cast<char* const*>(argv), false,
                           m_LogPath.empty() ? nullptr : m_LogPath.c_str()};
    pid_t pid = HostStartChild(command, signals);
    EXPECT_GT(pid, 0) << strerror(errno);
    ChildEnd end;
    *signal = HostWaitChild(pid, timeoutSeconds, signals, &end);
    EXPECT_EQ(kill(pid, 0), -1) << "the child has been reaped";
    return end;
  }

  std::string MakeLog() {
    char pattern[] = "/tmp/velmora-host-child.XXXXXX";
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

TEST_F(HostChildTest, ExitStatusAndPeakMemoryAreReported) {
  int signal = -1;
  ChildEnd end = RunShell("exit 3", HostInterrupts::kNone, 60, &signal);
  EXPECT_EQ(signal, 0);
  EXPECT_TRUE(end.exited);
  EXPECT_EQ(end.exitStatus, 3);
  EXPECT_EQ(end.signal, 0);
  EXPECT_FALSE(end.timedOut);
  EXPECT_GT(end.peakKiB, 0);
}

TEST_F(HostChildTest, SignalThatEndedTheChildIsReported) {
  int signal = -1;
  ChildEnd end = RunShell("kill -USR1 $$", HostInterrupts::kNone, 60, &signal);
  EXPECT_EQ(signal, 0);
  EXPECT_FALSE(end.exited);
  EXPECT_EQ(end.signal, SIGUSR1);
}

TEST_F(HostChildTest, ChildPastTheTimeoutIsKilled) {
  int signal = -1;
  ChildEnd end = RunShell("exec sleep 600", HostInterrupts::kNone, 1, &signal);
  EXPECT_EQ(signal, 0);
  EXPECT_TRUE(end.timedOut);
  EXPECT_FALSE(end.exited);
  EXPECT_EQ(end.signal, SIGKILL);
}

// The child starts with the mask from before HostBlockSignals, and the interruption ends the wait.
TEST_F(HostChildTest, TakenInterruptionEndsTheChild) {
  int signal = -1;
  ChildEnd end = RunShell("kill -TERM $PPID; exec sleep 600", HostInterrupts::kTaken, 600, &signal);
  EXPECT_EQ(signal, SIGTERM);
  EXPECT_FALSE(end.timedOut);
  EXPECT_EQ(end.signal, SIGKILL);
}

TEST_F(HostChildTest, LogFileTakesBothStreams) {
  std::string log = MakeLog();
  int signal = -1;
  ChildEnd end =
      RunShell("echo out; echo err >&2; grep SigBlk /proc/self/status", HostInterrupts::kTaken, 60, &signal);
  EXPECT_TRUE(end.exited);
  EXPECT_EQ(Contents(log), "out\nerr\nSigBlk:\t" + MaskHex(m_Mask) + "\n") << "the child has the former mask";
}

TEST_F(HostChildTest, PathSearchAndMissingPrograms) {
  HostSignals signals = HostBlockSignals(HostInterrupts::kNone);
  const char* argv[] = {"sh", "-c", "exit 4", nullptr};
  HostCommand command = {const_cast<char* const*>(argv), true};
  pid_t pid = HostStartChild(command, signals);
  ASSERT_GT(pid, 0) << strerror(errno);
  ChildEnd end;
  EXPECT_EQ(HostWaitChild(pid, 60, signals, &end), 0);
  EXPECT_EQ(end.exitStatus, 4);

  command.searchPath = false;
  errno = 0;
  EXPECT_EQ(HostStartChild(command, signals), -1) << "no sh in the working folder";
  EXPECT_EQ(errno, ENOENT);
  argv[0] = "/nonexistent/capture";
  errno = 0;
  EXPECT_EQ(HostStartChild(command, signals), -1);
  EXPECT_EQ(errno, ENOENT);
}

}  // namespace
