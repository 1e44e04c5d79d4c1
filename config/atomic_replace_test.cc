#include "config/atomic_replace.h"

#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <tuple>
#include <vector>

#include "config/scoped_temp_dir.h"

namespace velmora::config {
namespace {

constexpr char kOld[] = "Name: old.so\nType: 1\n";
constexpr char kNew[] = "Name: new.so\nType: 1\n";

const ReplaceStep kSteps[] = {
    ReplaceStep::kCreate, ReplaceStep::kCreateUnnamed, ReplaceStep::kOwner, ReplaceStep::kMode,
    ReplaceStep::kWrite,  ReplaceStep::kFlush,         ReplaceStep::kSync,  ReplaceStep::kLink,
    ReplaceStep::kRename, ReplaceStep::kSyncDirectory,
};

// The step at which the probe strikes, and whether the file system is to lack unnamed files; one
// test at a time uses them.
ReplaceStep g_strikeAt;
bool g_named;

// A named run is one where the unnamed create fails as on a file system without it.
bool Strikes(ReplaceStep step) { return step == g_strikeAt; }
bool Falls(ReplaceStep step) { return g_named && step == ReplaceStep::kCreateUnnamed; }

bool FailAtStep(ReplaceStep step) { return Strikes(step) || Falls(step); }

bool KillAtStep(ReplaceStep step) {
  if (Strikes(step)) raise(SIGKILL);
  return Falls(step);
}

// Whether `dir` can hold unnamed files at all; the unnamed runs are skipped where it cannot.
bool HasUnnamedFiles(const std::string& dir) {
  int fd = open(dir.c_str(), O_TMPFILE | O_RDWR, 0600);
  if (fd >= 0) close(fd);
  return fd >= 0;
}

class AtomicReplaceTest : public testing::TestWithParam<std::tuple<ReplaceStep, bool>> {
 protected:
  void SetUp() override {
    std::tie(g_strikeAt, g_named) = GetParam();
    if (!g_named && !HasUnnamedFiles(dir_.path())) GTEST_SKIP() << "no O_TMPFILE here";
    path_ = dir_.Write("store", kOld, 0640);
  }
  // Failing the unnamed create is no failure: the named file takes its place.
  bool Fails() const {
    return g_strikeAt != ReplaceStep::kCreateUnnamed && g_strikeAt <= ReplaceStep::kRename;
  }
  bool KilledBeforeRename() const { return g_strikeAt <= ReplaceStep::kRename; }
  // A kill leaves a temporary file once it has a name and before the rename.
  bool LeavesTemp() const {
    ReplaceStep named = g_named ? ReplaceStep::kOwner : ReplaceStep::kRename;
    return g_strikeAt >= named && g_strikeAt <= ReplaceStep::kRename;
  }
  ScopedTempDir dir_;
  std::string path_;
};

TEST_P(AtomicReplaceTest, FailureLeavesTheOriginalAndNoTemporaryFile) {
  FILE* stream = ReplaceFileAtomically(path_.c_str(), kNew, FailAtStep);
  EXPECT_EQ(std::vector<std::string>{"store"}, dir_.Names());
  if (Fails()) {
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(dir_.Read("store"), kOld);
    return;
  }
  // The rename has happened (an unsynced directory cannot take it back), or the named file stood
  // in for the unnamed one.
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(dir_.Read("store"), kNew);
  struct stat status;
  ASSERT_EQ(stat(path_.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
  fclose(stream);
}

TEST_P(AtomicReplaceTest, KillLeavesTheOldOrTheNewTextWhole) {
  pid_t pid = fork();
  if (pid == 0) {
    ReplaceFileAtomically(path_.c_str(), kNew, KillAtStep);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  EXPECT_EQ(dir_.Read("store"), KilledBeforeRename() ? kOld : kNew);
  // A killed process cannot remove a named temporary file; it is the only other name, and it is
  // hidden beside the store.
  std::vector<std::string> names = dir_.Names();
  EXPECT_EQ(names.size(), LeavesTemp() ? 2u : 1u);
  for (const std::string& name : names) EXPECT_TRUE(name == "store" || name.rfind(".store.", 0) == 0) << name;
}

INSTANTIATE_TEST_SUITE_P(EveryStep, AtomicReplaceTest,
                         testing::Combine(testing::ValuesIn(kSteps), testing::Bool()));

TEST(AtomicReplace, GivesAStreamAtTheEndOfTheNewFile) {
  ScopedTempDir dir;
  std::string path = dir.Write("store", kOld);
  FILE* stream = ReplaceFileAtomically(path.c_str(), kNew);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(ftell(stream), static_cast<long>(sizeof(kNew) - 1));
  rewind(stream);
  char line[64];
  ASSERT_NE(fgets(line, sizeof(line), stream), nullptr);
  EXPECT_STREQ(line, "Name: new.so\n");
  fclose(stream);
}

TEST(AtomicReplace, RefusesWhatIsNoRegularFile) {
  ScopedTempDir dir;
  EXPECT_EQ(ReplaceFileAtomically(dir.path().c_str(), kNew), nullptr);
  EXPECT_EQ(ReplaceFileAtomically(dir.Path("missing").c_str(), kNew), nullptr);
  EXPECT_TRUE(dir.Names().empty());
}

// A new file would leave the file's other name on the old text.
TEST(AtomicReplace, RefusesAFileWithASecondLink) {
  ScopedTempDir dir;
  std::string path = dir.Write("store", kOld);
  ASSERT_EQ(link(path.c_str(), dir.Path("other").c_str()), 0);
  errno = 0;
  EXPECT_EQ(ReplaceFileAtomically(path.c_str(), kNew), nullptr);
  EXPECT_TRUE(CannotReplaceKeepingTheFile(errno)) << strerror(errno);
  EXPECT_EQ(dir.Read("store"), kOld);
  EXPECT_EQ(dir.Read("other"), kOld);
  EXPECT_EQ(dir.Names().size(), 2u);
}

}  // namespace
}  // namespace velmora::config
