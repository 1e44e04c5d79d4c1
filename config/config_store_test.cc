#include "config/config_store.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <set>
#include <string>

#include "tests/support/scoped_temp_dir.h"
#include "tests/support/store_handle.h"

using namespace velmora::test;  // the shared test support

namespace velmora::config {
namespace {

// Runs `check` in a child that has given up the superuser's rights; its result is the exit status.
int RunAsNobody(const std::function<int()>& check) {
  pid_t pid = fork();
  if (pid == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(100);
    _exit(check());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 101;
}

class ConfigStoreTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(chmod(m_Dir.path().c_str(), 0755), 0); }
  ScopedTempDir m_Dir;
};

TEST_F(ConfigStoreTest, DirectoryStoreReadsConfAndListsOtherEntries) {
  m_Dir.Write("conf", "Type: 3\n");
  for (const char* name : {"plug", ".hidden", "confx"}) m_Dir.Write(name, "");
  ASSERT_EQ(mkdir(m_Dir.Path("sub").c_str(), 0755), 0);
  Handle h = Open(m_Dir.path());
  ASSERT_TRUE(h);
  EXPECT_EQ(Find(h.get(), "Type"), "3");
  std::multiset<std::string> expected = {".hidden", "confx", "plug", "sub"};
  EXPECT_EQ(Entries(h.get()), expected);
  // Rewinds, and the lookups leave the directory position alone.
  char name[256];
  int length = sizeof(name);
  ASSERT_EQ(ConfigFirstEntry(h.get(), name, &length), 0);
  EXPECT_EQ(Find(h.get(), "Type"), "3");
  std::multiset<std::string> rest = {name};
  for (length = sizeof(name); ConfigNextEntry(h.get(), name, &length) == 0; length = sizeof(name)) {
    rest.insert(name);
  }
  EXPECT_EQ(rest, expected);
}

// A replacement's temporary file, left by a process killed before its rename, holds a whole copy
// of an entry: listed, it would be a second entry. Only that exact pattern is passed over.
TEST_F(ConfigStoreTest, EnumerationPassesOverTemporaryNamesOnly) {
  struct Name {
    std::string name;
    bool listed;
  };
  const Name kNames[] = {
      {".plug.Ab12Cd", false},
      {".conf.x9Y8z7", false},
      {".my.reader.QQQQQQ", false},
      {"." + std::string(200, 'n') + ".Ab12Cd", false},
      {"." + std::string(201, 'n') + ".Ab12Cd", true},
      {".plug.Ab12C", true},
      {".plug.Ab12Cde", true},
      {".plug.Ab_2Cd", true},
      {"..Ab12Cd", true},
      {"plug.Ab12Cd", true},
      {".plug-Ab12Cd", true},
      {".hidden", true},
  };
  m_Dir.Write("conf", "Type: 3\n");
  m_Dir.Write("plug", "Name: plug.so\nType: 1\n");
  std::multiset<std::string> expected = {"plug"};
  for (const Name& n : kNames) {
    m_Dir.Write(n.name, "Name: plug.so\nType: 1\n");
    if (n.listed) expected.insert(n.name);
  }
  Handle h = Open(m_Dir.path());
  ASSERT_TRUE(h);
  EXPECT_EQ(Entries(h.get()), expected);
}

TEST_F(ConfigStoreTest, EntryLengthCountsTheTerminatorAndCutNamesHaveNone) {
  m_Dir.Write("conf", "");
  m_Dir.Write("plug", "");
  Handle h = Open(m_Dir.path());
  char name[8];
  int length = sizeof(name);
  ASSERT_EQ(ConfigFirstEntry(h.get(), name, &length), 0);
  EXPECT_EQ(length, 5);
  EXPECT_STREQ(name, "plug");
  memset(name, 'x', sizeof(name));
  length = 4;
  ASSERT_EQ(ConfigFirstEntry(h.get(), name, &length), 0);
  EXPECT_EQ(length, 4);
  EXPECT_EQ(std::string(name, 5), "plugx");
  length = sizeof(name);
  EXPECT_EQ(ConfigNextEntry(h.get(), name, &length), -1);
}

TEST_F(ConfigStoreTest, StoresThatCannotBeOpened) {
  EXPECT_FALSE(Open(m_Dir.Path("missing")));
  ASSERT_EQ(mkdir(m_Dir.Path("noconf").c_str(), 0755), 0);
  m_Dir.Write("noconf/plug", "Type: 1\n");
  EXPECT_FALSE(Open(m_Dir.Path("noconf")));
  ASSERT_EQ(mkdir(m_Dir.Path("locked").c_str(), 0755), 0);
  std::string locked = m_Dir.Path("locked");
  m_Dir.Write("locked/conf", "Type: 1\n", 0600);
  EXPECT_EQ(RunAsNobody([&] { return ConfigOpen(locked.c_str()) == nullptr ? 0 : 1; }), 0);
}

// Only regular files hold settings: a FIFO would block the open and a device could be read
// without end.
TEST_F(ConfigStoreTest, SettingsFileMustBeARegularFile) {
  ASSERT_EQ(mkdir(m_Dir.Path("dirconf").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(m_Dir.Path("dirconf/conf").c_str(), 0755), 0);
  EXPECT_FALSE(Open(m_Dir.Path("dirconf")));
  std::string fifo = m_Dir.Path("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  // Held open at both ends, so that a faulty open that accepts it does not block the test.
  int holder = open(fifo.c_str(), O_RDWR);
  ASSERT_GE(holder, 0);
  EXPECT_FALSE(Open(fifo));
  close(holder);
  EXPECT_FALSE(Open("/dev/zero"));
}

TEST_F(ConfigStoreTest, PlainFileHasNoEntries) {
  Handle h = Open(m_Dir.Write("plain", "Type: 1\n"));
  ASSERT_TRUE(h);
  char name[256];
  int length = sizeof(name);
  EXPECT_EQ(ConfigFirstEntry(h.get(), name, &length), -1);
  EXPECT_EQ(ConfigNextEntry(h.get(), name, &length), -1);
}

TEST_F(ConfigStoreTest, RelativePathsResolveBelowQxPath) {
  m_Dir.Write("rel", "Where: here\n");
  const char* saved = getenv("QX_PATH");
  std::string restore = saved ? saved : "";
  setenv("QX_PATH", m_Dir.path().c_str(), 1);
  Handle below = Open("rel");
  // Empty is set: the path resolves below "/".
  setenv("QX_PATH", "", 1);
  Handle root = Open(m_Dir.Path("rel").substr(1));
  saved ? setenv("QX_PATH", restore.c_str(), 1) : unsetenv("QX_PATH");
  ASSERT_TRUE(below);
  EXPECT_EQ(Find(below.get(), "Where"), "here");
  ASSERT_TRUE(root);
  EXPECT_EQ(Find(root.get(), "Where"), "here");
}

TEST_F(ConfigStoreTest, PathsBeyondTheBufferGiveNone) {
  std::string longPath = "/" + std::string(5000, 'a');
  EXPECT_FALSE(Open(longPath));
  const char* saved = getenv("QX_PATH");
  std::string restore = saved ? saved : "";
  setenv("QX_PATH", ("/" + std::string(4093, 'p')).c_str(), 1);
  Handle h = Open("x");
  saved ? setenv("QX_PATH", restore.c_str(), 1) : unsetenv("QX_PATH");
  EXPECT_FALSE(h);
}

TEST_F(ConfigStoreTest, WritableOpenChecksOnlyTheOwnerWriteBit) {
  std::string readOnly = m_Dir.Write("ro", "A: 1\n", 0444);
  std::string groupWritable = m_Dir.Write("gw", "A: 1\n", 0464);
  std::string ownerWritable = m_Dir.Write("ow", "A: 1\n", 0644);
  // The superuser could write all three.
  EXPECT_EQ(ConfigOpenWritable(readOnly.c_str()), nullptr);
  EXPECT_EQ(ConfigOpenWritable(groupWritable.c_str()), nullptr);
  Handle h(ConfigOpenWritable(ownerWritable.c_str()));
  ASSERT_TRUE(h);
  EXPECT_EQ(Find(h.get(), "A"), "1");
  // Another user cannot write the file, yet the bit is set.
  EXPECT_EQ(RunAsNobody([&] {
              ConfigHandle* handle = ConfigOpenWritable(ownerWritable.c_str());
              return handle && ConfigClose(handle) == 0 ? 0 : 1;
            }),
            0);
}

TEST_F(ConfigStoreTest, WritableOpenOfADirectoryChecksItsConf) {
  m_Dir.Write("conf", "A: 1\n", 0444);
  EXPECT_EQ(ConfigOpenWritable(m_Dir.path().c_str()), nullptr);
  chmod(m_Dir.Path("conf").c_str(), 0644);
  Handle h(ConfigOpenWritable(m_Dir.path().c_str()));
  EXPECT_TRUE(h);
}

}  // namespace
}  // namespace velmora::config
