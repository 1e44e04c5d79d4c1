#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "config/config_store.h"
#include "tests/support/forked_child.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/store_handle.h"

using namespace velmora::test;  // the shared test support

namespace velmora::config {
namespace {

using namespace std::string_literals;

class ConfigRewriteTest : public testing::Test {
 protected:
  // Opens a store holding `text` in the file "store".
  Handle OpenText(const std::string& text, mode_t mode = 0644) {
    return Open(m_Dir.Write("store", text, mode));
  }
  std::string Text() const { return m_Dir.Read("store"); }
  ScopedTempDir m_Dir;
};

TEST_F(ConfigRewriteTest, ReplacesTheKeyAndKeepsOtherLines) {
  Handle h = OpenText("# comment Type: 9\nName: lib.so\nType: 1\n");
  EXPECT_EQ(ConfigSetInt(h.get(), "Type", 3), 0);
  EXPECT_EQ(Text(), "# comment Type: 9\nName: lib.so\nType: 3\n");
  // The read position is at the end of the new file.
  EXPECT_EQ(Find(h.get(), "Type", ConfigGetNextValue), std::nullopt);
  EXPECT_EQ(Find(h.get(), "Type"), "3");
  EXPECT_EQ(Find(h.get(), "Name", ConfigGetFirstValue), "lib.so");
  EXPECT_EQ(std::vector<std::string>{"store"}, m_Dir.Names());
}

TEST_F(ConfigRewriteTest, EveryLineOfTheKeyByTheWiderRule) {
  std::string text = "Type: 1\n#Type: c\nType:5\n Type: s\nType : b\n\nKeep: a\0b\r\nType:\nLast: x"s;
  Handle h = OpenText(text);
  ASSERT_EQ(ConfigSetValue(h.get(), "Type", "7", 1), 0);
  EXPECT_EQ(Text(), "Type: 7\n#Type: c\nType: 7\n Type: s\nType : b\n\nKeep: a\0b\r\nType: 7\nLast: x\n"s);
  ConfigItem item = {};
  int count = 0;
  for (int r = ConfigFirstKey(h.get(), &item); r == 0; r = ConfigNextKey(h.get(), &item)) count += 1;
  EXPECT_EQ(count, 7);
}

TEST_F(ConfigRewriteTest, MissingKeyLeavesTheFileAsItWas) {
  Handle h = OpenText("Name: a\nType: 1");
  EXPECT_EQ(ConfigSetValue(h.get(), "Other", "x", 1), -1);
  EXPECT_EQ(ConfigSetValue(h.get(), "Name: a", "x", 1), -1);
  EXPECT_EQ(Text(), "Name: a\nType: 1");
  Handle empty = Open(m_Dir.Write("empty", ""));
  EXPECT_EQ(ConfigSetValue(empty.get(), "Name", "x", 1), -1);
  EXPECT_EQ(m_Dir.Read("empty"), "");
}

TEST_F(ConfigRewriteTest, LineBreakInValueIsRefused) {
  Handle h = OpenText("Name: a\nType: 1\n");
  EXPECT_EQ(ConfigSetValue(h.get(), "Name", "evil.so\nType: 1", 15), -1);
  EXPECT_EQ(ConfigSetValue(h.get(), "Name", "evil.so\rType: 1", 15), -1);
  EXPECT_EQ(Text(), "Name: a\nType: 1\n");
  EXPECT_EQ(Find(h.get(), "Name"), "a");
}

// A replaced line must be read back in one piece of 1023 bytes; a longer one would give a cut value
// and let its tail be read as a key line of its own.
TEST_F(ConfigRewriteTest, ValueThatWouldSpillOverOnePieceIsRefused) {
  Handle h = OpenText("Name: a\nType: 1\n");
  std::string spill = std::string(1017 - 6, 'v') + "Type: 7";
  EXPECT_EQ(ConfigSetValue(h.get(), "Name", spill.c_str(), 1018), -1);
  EXPECT_EQ(Text(), "Name: a\nType: 1\n");
  std::string fits(1023 - 6, 'v');
  ASSERT_EQ(ConfigSetValue(h.get(), "Name", fits.c_str(), 1017), 0);
  char value[2048];
  int length = sizeof(value);
  ASSERT_EQ(ConfigGetFirstValue(h.get(), "Name", value, &length), 0);
  EXPECT_EQ(std::string(value), fits);
  EXPECT_EQ(Find(h.get(), "Type"), "1");
}

// Each handle reads the file anew before it rewrites, so the other handle's change stays.
TEST_F(ConfigRewriteTest, TwoHandlesOnOneFileKeepEachOthersChanges) {
  Handle first = OpenText("Name: a\nType: 1\n");
  Handle second = Open(m_Dir.Path("store"));
  ASSERT_EQ(ConfigSetValue(first.get(), "Name", "b", 1), 0);
  ASSERT_EQ(ConfigSetInt(second.get(), "Type", 2), 0);
  EXPECT_EQ(Text(), "Name: b\nType: 2\n");
}

// The temporary name must fit a directory entry even when the file's own name fills one.
TEST_F(ConfigRewriteTest, FileWithTheLongestNameIsRewritten) {
  std::string name(255, 'n');
  Handle h = Open(m_Dir.Write(name, "Type: 1\n"));
  ASSERT_TRUE(h);
  EXPECT_EQ(ConfigSetInt(h.get(), "Type", 2), 0);
  EXPECT_EQ(m_Dir.Read(name), "Type: 2\n");
  EXPECT_EQ(std::vector<std::string>{name}, m_Dir.Names());
}

TEST_F(ConfigRewriteTest, LengthDoesNotLimitTheValue) {
  Handle h = OpenText("N: 0\n");
  ASSERT_EQ(ConfigSetInt(h.get(), "N", INT32_MIN), 0);
  EXPECT_EQ(Text(), "N: -2147483648\n");
  ASSERT_EQ(ConfigSetValue(h.get(), "N", "whole value", 2), 0);
  EXPECT_EQ(Text(), "N: whole value\n");
}

TEST_F(ConfigRewriteTest, KeepsModeOwnerAndLink) {
  std::string target = m_Dir.Write("target", "Type: 1\n", 0640);
  ASSERT_EQ(chown(target.c_str(), 1234, 5678), 0);
  ASSERT_EQ(symlink("target", m_Dir.Path("link").c_str()), 0);
  Handle h = Open(m_Dir.Path("link"));
  ASSERT_EQ(ConfigSetInt(h.get(), "Type", 2), 0);
  struct stat link, file;
  ASSERT_EQ(lstat(m_Dir.Path("link").c_str(), &link), 0);
  ASSERT_EQ(stat(target.c_str(), &file), 0);
  EXPECT_TRUE(S_ISLNK(link.st_mode));
  EXPECT_EQ(file.st_mode & 07777, 0640u);
  EXPECT_EQ(file.st_uid, 1234u);
  EXPECT_EQ(file.st_gid, 5678u);
  EXPECT_EQ(m_Dir.Read("target"), "Type: 2\n");
}

TEST_F(ConfigRewriteTest, DirectoryStoreRewritesConfAndKeepsItsEntries) {
  m_Dir.Write("conf", "Type: 1\n");
  m_Dir.Write("plug", "");
  Handle h = Open(m_Dir.path());
  char name[256];
  int length = sizeof(name);
  ASSERT_EQ(ConfigFirstEntry(h.get(), name, &length), 0);
  ASSERT_EQ(ConfigSetInt(h.get(), "Type", 4), 0);
  EXPECT_EQ(m_Dir.Read("conf"), "Type: 4\n");
  EXPECT_EQ(ConfigFirstEntry(h.get(), name, &length), 0);
  EXPECT_STREQ(name, "plug");
}

// What a killed replacement of "conf" left goes with the next rewrite; a temporary file that a
// replacement still holds locked, those of other files and other names stay.
TEST_F(ConfigRewriteTest, RewriteRemovesTheStaleTemporaryFilesOfItsFile) {
  m_Dir.Write("conf", "Type: 1\n");
  std::vector<std::string> kept = {"conf", ".conf.Live01", ".plug.Ab12Cd", ".conf.Ab12C", ".conf"};
  for (const std::string& name : kept) m_Dir.Write(name, "Type: 1\n");
  m_Dir.Write(".conf.Ab12Cd", "Type: 1\n");
  m_Dir.Write(".conf.zZ9yY8", "Type: 1\n", 0);
  int live = open(m_Dir.Path(".conf.Live01").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(flock(live, LOCK_EX), 0);
  Handle h = Open(m_Dir.path());
  ASSERT_EQ(ConfigSetInt(h.get(), "Type", 2), 0);
  close(live);
  std::vector<std::string> names = m_Dir.Names();
  std::sort(names.begin(), names.end());
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(names, kept);
  EXPECT_EQ(m_Dir.Read("conf"), "Type: 2\n");
}

TEST_F(ConfigRewriteTest, VanishedFileFailsAndTheHandleStillReads) {
  Handle h = OpenText("Type: 1\n");
  ASSERT_EQ(unlink(m_Dir.Path("store").c_str()), 0);
  EXPECT_EQ(ConfigSetInt(h.get(), "Type", 2), -1);
  EXPECT_EQ(Find(h.get(), "Type"), "1");
  EXPECT_TRUE(m_Dir.Names().empty());
}

// A FIFO put under the file's name is refused at once; reading it would wait for a writer. The
// rewrite runs in a child, so that a rewrite that waits fails the test instead of hanging it.
TEST_F(ConfigRewriteTest, FifoUnderTheNameIsRefusedWithoutWaiting) {
  Handle h = OpenText("Type: 1\n");
  ASSERT_EQ(unlink(m_Dir.Path("store").c_str()), 0);
  ASSERT_EQ(mkfifo(m_Dir.Path("store").c_str(), 0666), 0);
  EXPECT_EQ(RunInChild([&] { return ConfigSetInt(h.get(), "Type", 2) == -1 ? 0 : 1; }), 0)
      << "1: rewritten; -1: it waited on the FIFO or crashed";
  EXPECT_EQ(Find(h.get(), "Type"), "1");
}

// A write that the file-size limit stops: the real failure of a full disk.
TEST_F(ConfigRewriteTest, FailedWriteLeavesTheOriginal) {
  std::string text = "Name: " + std::string(3000, 'n') + "\nType: 1\n";
  Handle h = OpenText(text);
  pid_t pid = fork();
  if (pid == 0) {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {1024, 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    bool failed = ConfigSetInt(h.get(), "Type", 2) == -1;
    bool reads = Find(h.get(), "Type") == "1";
    _exit(failed && reads ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(Text(), text);
  EXPECT_EQ(std::vector<std::string>{"store"}, m_Dir.Names());
}

}  // namespace
}  // namespace velmora::config
