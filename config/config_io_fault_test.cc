// The rewrite under failing system calls: each call that it makes fails in turn, with EIO and with
// ENOSPC, and then the process is killed right after each call in turn. A failure must leave the
// file byte for byte as it was, with no temporary file and no descriptor left behind; a kill must
// leave the old or the new text, whole, with the file's mode. A file with a second link is
// rewritten through itself, which cannot keep the old text once its writing has begun: there a
// failure must still give -1 and leave nothing behind.
#include <errno.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "config/config_store.h"
#include "config/scoped_temp_dir.h"
#include "tests/fault/open_descriptors.h"
#include "tests/fault/syscall_fault.h"

namespace velmora::config {
namespace {

using fault::SyscallAction;

constexpr char kOld[] = "# reader\nName: reader.so\nType: 1\nDelay: 5\n";
constexpr char kNew[] = "# reader\nName: reader.so\nType: 2\nDelay: 5\n";
constexpr mode_t kMode = 0640;

// What the child that ran the rewrite tells its parent.
struct Report {
  int result = 0;           // of ConfigSetValue
  int struck = 0;           // whether the chosen call was reached
  size_t calls = 0;         // trapped calls made by the rewrite
  int descriptorsLeft = 0;  // open after the rewrite, less those open before
  int log[512] = {};        // the first trapped calls, by number
};

// The calls of the replacement's own steps: opening, writing, syncing and naming files.
bool MustRefuse(int call) {
  for (int step : {SYS_openat, SYS_write, SYS_fsync, SYS_fchown, SYS_fchmod, SYS_linkat, SYS_rename})
    if (call == step) return true;
  return false;
}

class ConfigIoFaultTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!fault::SyscallFaultSupported()) GTEST_SKIP() << "no seccomp filters here";
    path_ = dir_.Write("store", kOld, kMode);
  }

  // Opens the store, then runs the rewrite in a child with the filter installed. Gives false when
  // the child did not report (it was killed, or crashed); `status` is its wait status.
  bool Run(SyscallAction action, size_t at, int error, Report* report, int* status) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return false;
    pid_t pid = fork();
    if (pid == 0) {
      close(pipeFds[0]);
      ConfigHandle* handle = ConfigOpen(path_.c_str());
      Report r;
      int before = fault::OpenDescriptorCount();
      if (!handle || !fault::SyscallFaultInstall(action, at, error)) _exit(3);
      r.result = ConfigSetValue(handle, "Type", "2", 1);
      r.calls = fault::SyscallFaultCount();
      r.struck = fault::SyscallFaultStruck();
      for (size_t i = 0; i < r.calls && i < std::size(r.log); ++i)
        r.log[i] = fault::SyscallFaultNumber(i + 1);
      r.descriptorsLeft = fault::OpenDescriptorCount() - before;
      bool sent = write(pipeFds[1], &r, sizeof(r)) == sizeof(r);
      _exit(sent ? 0 : 4);
    }
    close(pipeFds[1]);
    bool got = read(pipeFds[0], report, sizeof(*report)) == sizeof(*report);
    close(pipeFds[0]);
    waitpid(pid, status, 0);
    return got;
  }

  // The rewrite's calls, counted once without faults.
  std::vector<int> Calls() {
    Report report;
    int status = 0;
    EXPECT_TRUE(Run(SyscallAction::kCount, 0, 0, &report, &status));
    EXPECT_EQ(report.result, 0);
    EXPECT_EQ(dir_.Read("store"), kNew);
    dir_.Write("store", kOld, kMode);
    return std::vector<int>(report.log, report.log + std::min(report.calls, std::size(report.log)));
  }

  mode_t Mode() const {
    struct stat status = {};
    stat(path_.c_str(), &status);
    return status.st_mode & 07777;
  }

  ScopedTempDir dir_;
  std::string path_;
};

TEST_F(ConfigIoFaultTest, EveryFailingCallLeavesTheFileAsItWas) {
  std::vector<int> calls = Calls();
  ASSERT_GT(calls.size(), 5u);
  size_t renameAt = std::find(calls.begin(), calls.end(), SYS_rename) - calls.begin() + 1;
  ASSERT_LE(renameAt, calls.size()) << "the rewrite made no rename";
  int refused = 0;
  for (size_t at = 1; at <= calls.size(); ++at) {
    for (int error : {EIO, ENOSPC}) {
      SCOPED_TRACE("call " + std::to_string(at) + " (" + fault::SyscallName(calls[at - 1]) + ") fails with " +
                   strerror(error));
      Report report;
      int status = 0;
      ASSERT_TRUE(Run(SyscallAction::kFail, at, error, &report, &status)) << "wait status " << status;
      EXPECT_TRUE(report.struck);
      // Up to the rename, a failed step of the replacement is a failed rewrite; other calls (the
      // size hint of a stream, a random name) may fail without harm. After the rename nothing
      // can take the new text back, and nothing is then a failure of the rewrite.
      if (at <= renameAt && MustRefuse(calls[at - 1])) {
        EXPECT_EQ(report.result, -1);
      }
      EXPECT_EQ(dir_.Read("store"), report.result == 0 ? kNew : kOld);
      EXPECT_EQ(Mode(), kMode);
      EXPECT_EQ(dir_.Names(), std::vector<std::string>{"store"});
      EXPECT_EQ(report.descriptorsLeft, 0);
      refused += report.result != 0;
      dir_.Write("store", kOld, kMode);
      if (HasFailure()) return;
    }
  }
  // Most calls come before the rename; a rewrite that ignored their failures would show here.
  EXPECT_GT(refused, static_cast<int>(calls.size()));
  printf("ConfigSetValue: %zu system calls, each failed with EIO and ENOSPC: %d refused, %zu completed\n",
         calls.size(), refused, 2 * calls.size() - refused);
}

TEST_F(ConfigIoFaultTest, KillAfterEveryCallLeavesTheOldOrTheNewTextWhole) {
  std::vector<int> calls = Calls();
  ASSERT_GT(calls.size(), 5u);
  int sawOld = 0, sawNew = 0;
  for (size_t at = 1; at <= calls.size(); ++at) {
    SCOPED_TRACE("killed after call " + std::to_string(at) + " (" + fault::SyscallName(calls[at - 1]) + ")");
    Report report;
    int status = 0;
    EXPECT_FALSE(Run(SyscallAction::kKill, at, 0, &report, &status));
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "wait status " << status;
    std::string text = dir_.Read("store");
    EXPECT_TRUE(text == kOld || text == kNew) << text;
    EXPECT_EQ(Mode(), kMode);
    sawOld += text == kOld;
    sawNew += text == kNew;
    // A process killed between the link and the rename cannot remove the named temporary file;
    // it is the only other name, hidden beside the store.
    for (const std::string& name : dir_.Names()) {
      EXPECT_TRUE(name == "store" || name.rfind(".store.", 0) == 0) << name;
      if (name != "store") std::filesystem::remove(dir_.Path(name));
    }
    dir_.Write("store", kOld, kMode);
    if (HasFailure()) return;
  }
  // The last call comes after the rename, the first long before it.
  EXPECT_GT(sawOld, 0);
  EXPECT_GT(sawNew, 0);
  printf("ConfigSetValue: killed after each of %zu system calls: %d old texts, %d new\n", calls.size(),
         sawOld, sawNew);
}

TEST_F(ConfigIoFaultTest, EveryFailingCallOfTheRewriteInPlaceIsReported) {
  ASSERT_EQ(link(path_.c_str(), dir_.Path("other").c_str()), 0);
  std::vector<int> calls = Calls();
  // The text is put back through the file, so both names still share it.
  EXPECT_EQ(dir_.Read("other"), kOld);
  // Where a call is made first, counted from 1.
  auto first = [&](int call) { return std::find(calls.begin(), calls.end(), call) - calls.begin() + 1; };
  size_t writeAt = first(SYS_write), syncAt = first(SYS_fsync);
  ASSERT_LT(first(SYS_ftruncate), syncAt) << "the file was not rewritten through itself";
  int refused = 0;
  for (size_t at = 1; at <= calls.size(); ++at) {
    for (int error : {EIO, ENOSPC}) {
      int call = calls[at - 1];
      SCOPED_TRACE("call " + std::to_string(at) + " (" + fault::SyscallName(call) + ") fails with " +
                   strerror(error));
      Report report;
      int status = 0;
      ASSERT_TRUE(Run(SyscallAction::kFail, at, error, &report, &status)) << "wait status " << status;
      // Opening, reading and each step of the writing must not fail unseen.
      if (at <= syncAt &&
          (MustRefuse(call) || call == SYS_read || call == SYS_lseek || call == SYS_ftruncate)) {
        EXPECT_EQ(report.result, -1);
      }
      std::string text = dir_.Read("store");
      if (report.result == 0 || at < writeAt) {
        EXPECT_EQ(text, report.result == 0 ? kNew : kOld);
      }
      EXPECT_EQ(dir_.Read("other"), text);
      EXPECT_EQ(Mode(), kMode);
      std::vector<std::string> names = dir_.Names();
      std::sort(names.begin(), names.end());
      EXPECT_EQ(names, (std::vector<std::string>{"other", "store"}));
      EXPECT_EQ(report.descriptorsLeft, 0);
      refused += report.result != 0;
      dir_.Write("store", kOld, kMode);
      if (HasFailure()) return;
    }
  }
  printf("ConfigSetValue in place: %zu system calls, each failed with EIO and ENOSPC: %d refused\n",
         calls.size(), refused);
}

}  // namespace
}  // namespace velmora::config
