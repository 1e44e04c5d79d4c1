#include "config/atomic_replace.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "config/scoped_temp_dir.h"

namespace velmora::config {
namespace {

constexpr char kOld[] = "Name: old.so\nType: 1\n";
constexpr char kNew[] = "Name: new.so\nType: 1\n";

const ReplaceStep kSteps[] = {
    ReplaceStep::kCreate, ReplaceStep::kOwner, ReplaceStep::kMode,   ReplaceStep::kWrite,
    ReplaceStep::kFlush,  ReplaceStep::kSync,  ReplaceStep::kRename, ReplaceStep::kSyncDirectory,
};

// The step at which the probe strikes; one test at a time uses it.
ReplaceStep g_strikeAt;

bool FailAtStep(ReplaceStep step) { return step == g_strikeAt; }

bool KillAtStep(ReplaceStep step) {
  if (step == g_strikeAt) raise(SIGKILL);
  return false;
}

class AtomicReplaceTest : public testing::TestWithParam<ReplaceStep> {
 protected:
  void SetUp() override { path_ = dir_.Write("store", kOld, 0640); }
  bool BeforeRename() const { return GetParam() <= ReplaceStep::kRename; }
  ScopedTempDir dir_;
  std::string path_;
};

TEST_P(AtomicReplaceTest, FailureLeavesTheOriginalAndNoTemporaryFile) {
  g_strikeAt = GetParam();
  FILE* stream = ReplaceFileAtomically(path_.c_str(), kNew, FailAtStep);
  EXPECT_EQ(std::vector<std::string>{"store"}, dir_.Names());
  if (BeforeRename()) {
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(dir_.Read("store"), kOld);
    return;
  }
  // The rename has happened; an unsynced directory cannot take it back.
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(dir_.Read("store"), kNew);
  fclose(stream);
}

TEST_P(AtomicReplaceTest, KillLeavesTheOldOrTheNewTextWhole) {
  g_strikeAt = GetParam();
  pid_t pid = fork();
  if (pid == 0) {
    ReplaceFileAtomically(path_.c_str(), kNew, KillAtStep);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  EXPECT_EQ(dir_.Read("store"), BeforeRename() ? kOld : kNew);
  // A killed process cannot remove its temporary file; it is the only other name, and it is
  // hidden beside the store.
  std::vector<std::string> names = dir_.Names();
  bool tempCreated = GetParam() > ReplaceStep::kCreate && BeforeRename();
  EXPECT_EQ(names.size(), tempCreated ? 2u : 1u);
  for (const std::string& name : names) EXPECT_TRUE(name == "store" || name.rfind(".store.", 0) == 0) << name;
}

INSTANTIATE_TEST_SUITE_P(EveryStep, AtomicReplaceTest, testing::ValuesIn(kSteps));

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

}  // namespace
}  // namespace velmora::config
