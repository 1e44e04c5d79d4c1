// The rewrite under failing system calls: each call that it makes fails in turn, with EIO and with
// ENOSPC, and then the process is killed right after each call in turn. Up to the rename a failure
// must leave the file byte for byte as it was, with no temporary file and no descriptor left
// behind; after it the new text is the file's, and the rewrite must say so. A kill must leave the
// old text before the rename and the new one from it, whole, with the file's mode, and a hidden
// temporary file only while one has a name before the rename. The replacement is run with unnamed
// temporary files and, as on a file system or a kernel without them, with named ones. The file has
// an extended attribute, and its folder a default ACL that a new file would inherit, so that the
// copy of the attributes sets one and removes one; the file must keep its attribute, and no ACL,
// whatever the outcome. A file with a second link is rewritten through itself, which cannot keep
// the old text once its writing has begun: there a failure must still give -1 and leave nothing
// behind.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "config/config_store.h"
#include "process/open_descriptors.h"
#include "tests/fault/syscall_fault.h"
#include "tests/support/file_attributes.h"
#include "tests/support/scoped_temp_dir.h"

using namespace velmora::test;  // the shared test support

namespace velmora::config {
namespace {

using fault::SyscallAction;

constexpr char kOld[] = "# reader\nName: reader.so\nType: 1\nDelay: 5\n";
constexpr char kNew[] = "# reader\nName: reader.so\nType: 2\nDelay: 5\n";
constexpr mode_t kMode = 0640;
// Gives a new file in the folder an ACL with write for another user.
const std::string kDefaultAcl = AclAttribute({{AclEntry::kOwner, 7},
                                              {AclEntry::kUser, 7, 65534},
                                              {AclEntry::kOwningGroup, 5},
                                              {AclEntry::kMask, 7},
                                              {AclEntry::kOther, 5}});

// What the child that ran the rewrite tells its parent.
struct Report {
  int result = 0;           // of ConfigSetValue
  int struck = 0;           // whether the chosen call was reached
  size_t calls = 0;         // trapped calls made by the rewrite
  int descriptorsLeft = 0;  // open after the rewrite, less those open before
  int log[512] = {};        // the first trapped calls, by number
};

// The calls of the replacement's own steps: opening, writing, syncing and naming files, and
// reading the attributes of the old one.
bool MustRefuse(int call) {
  for (int step :
       {SYS_openat, SYS_write, SYS_fsync, SYS_fchown, SYS_fchmod, SYS_linkat, SYS_rename, SYS_fgetxattr})
    if (call == step) return true;
  return false;
}

// The calls that give the new file its attributes: where one fails, the new file is not the same
// file, and the old one is rewritten through itself.
bool LeadsInPlace(int call) { return call == SYS_fsetxattr || call == SYS_fremovexattr; }

// Where `call` is first made, counted from 1; past the end when it is not made.
size_t FirstAt(const std::vector<int>& calls, int call) {
  return std::find(calls.begin(), calls.end(), call) - calls.begin() + 1;
}

// Where `call` is last made before call number `at`, counted from 1; 0 when it is not.
size_t LastBefore(const std::vector<int>& calls, int call, size_t at) {
  size_t before = at - 1;
  while (before > 0 && calls[before - 1] != call) --before;
  return before;
}

// Whether `dir` can hold unnamed files at all; the runs with them are skipped where it cannot.
bool HasUnnamedFiles(const std::string& dir) {
  int fd = open(dir.c_str(), O_TMPFILE | O_RDWR, 0600);
  if (fd >= 0) close(fd);
  return fd >= 0;
}

class ConfigIoFaultTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!fault::SyscallFaultSupported()) GTEST_SKIP() << "no seccomp filters here";
    m_Path = m_Dir.Write("store", kOld, kMode);
    // A file system without extended attributes or ACLs runs the tests without them.
    if (SetExtendedAttribute(m_Path, "user.velmora", "reader")) m_Attributes = {{"user.velmora", "reader"}};
    SetExtendedAttribute(m_Dir.path(), "system.posix_acl_default", kDefaultAcl);
  }

  // Makes the store anew as SetUp made it, for a test that puts another file in its place: the
  // old text, the mode and the attribute, and not the ACL that a new file inherits.
  void MakeStoreAnew() {
    unlink(m_Path.c_str());
    m_Dir.Write("store", kOld, kMode);
    removexattr(m_Path.c_str(), "system.posix_acl_access");
    for (const auto& [name, value] : m_Attributes) SetExtendedAttribute(m_Path, name, value);
  }

  // Opens the store, then runs the rewrite in a child with the filter installed. Gives false when
  // the child did not report (it was killed, or crashed); `status` is its wait status.
  bool Run(SyscallAction action, size_t at, int error, Report* report, int* status) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return false;
    pid_t pid = fork();
    if (pid == 0) {
      close(pipeFds[0]);
      ConfigHandle* handle = ConfigOpen(m_Path.c_str());
      Report r;
      long before = CountOpenDescriptors();
      fault::SyscallFaultRefuseUnnamedFiles(m_UnnamedError);
      fault::SyscallFaultLetThrough(m_Uncounted);
      if (!handle || !fault::SyscallFaultInstall(action, at, error)) _exit(3);
      r.result = ConfigSetValue(handle, "Type", "2", 1);
      r.calls = fault::SyscallFaultCount();
      r.struck = fault::SyscallFaultStruck();
      for (size_t i = 0; i < r.calls && i < std::size(r.log); ++i)
        r.log[i] = fault::SyscallFaultNumber(i + 1);
      r.descriptorsLeft = CountOpenDescriptors() - before;
      bool sent = write(pipeFds[1], &r, sizeof(r)) == sizeof(r);
      _exit(sent ? 0 : 4);
    }
    close(pipeFds[1]);
    bool got = read(pipeFds[0], report, sizeof(*report)) == sizeof(*report);
    close(pipeFds[0]);
    waitpid(pid, status, 0);
    return got;
  }

  // The rewrite's calls, counted once without faults; the rewrite must succeed and leave the
  // folder's names and the store's mode as they were.
  std::vector<int> Calls() {
    std::vector<std::string> names = SortedNames();
    Report report;
    int status = 0;
    EXPECT_TRUE(Run(SyscallAction::kCount, 0, 0, &report, &status));
    EXPECT_EQ(report.result, 0);
    EXPECT_EQ(m_Dir.Read("store"), kNew);
    EXPECT_EQ(Mode(), kMode);
    EXPECT_EQ(ExtendedAttributes(m_Path), m_Attributes);
    EXPECT_EQ(SortedNames(), names);
    m_Dir.Write("store", kOld, kMode);
    return std::vector<int>(report.log, report.log + std::min(report.calls, std::size(report.log)));
  }

  std::vector<std::string> SortedNames() const {
    std::vector<std::string> names = m_Dir.Names();
    std::sort(names.begin(), names.end());
    return names;
  }

  mode_t Mode() const {
    struct stat status = {};
    stat(m_Path.c_str(), &status);
    return status.st_mode & 07777;
  }

  ino_t Inode() const {
    struct stat status = {};
    stat(m_Path.c_str(), &status);
    return status.st_ino;
  }

  // The number of names beside the store; each must be a hidden temporary name of the store.
  int CountTemporaryFiles() const {
    int count = 0;
    for (const std::string& name : m_Dir.Names()) {
      if (name == "store") continue;
      EXPECT_EQ(name.rfind(".store.", 0), 0u) << name;
      ++count;
    }
    return count;
  }

  ScopedTempDir m_Dir;
  std::string m_Path;
  std::map<std::string, std::string> m_Attributes;  // the store's extended attributes
  int m_UnnamedError = 0;                           // for every open of an unnamed file; 0 lets them through
  int m_Uncounted = -1;                             // the system call let through uncounted, if any
};

// The temporary files that a replacement makes: unnamed ones, or named ones where opening an
// unnamed one fails with `unnamedError`, as the kernel answers without them.
struct TemporaryFiles {
  const char* name;
  int unnamedError;
};

// For the names of the tests, which show the parameter.
void PrintTo(const TemporaryFiles& files, std::ostream* out) { *out << files.name; }

const TemporaryFiles kTemporaryFiles[] = {
    {"Unnamed", 0},
    {"NamedWhereTheFileSystemHasNoUnnamed", EOPNOTSUPP},
    {"NamedWhereTheKernelHasNoUnnamed", EISDIR},
};

class ConfigReplaceFaultTest : public ConfigIoFaultTest, public testing::WithParamInterface<TemporaryFiles> {
 protected:
  void SetUp() override {
    ConfigIoFaultTest::SetUp();
    if (IsSkipped()) return;
    m_UnnamedError = GetParam().unnamedError;
    if (m_UnnamedError == 0 && !HasUnnamedFiles(m_Dir.path())) GTEST_SKIP() << "no O_TMPFILE here";
    // mkostemp, which makes the named file, asks for random bits once more when its first draw
    // would bias the name: a getrandom in some runs and not in others would shift every later call.
    if (m_UnnamedError != 0) m_Uncounted = SYS_getrandom;
  }

  // The rewrite's calls; only an unnamed temporary file is linked to a name, which tells that the
  // replacement made the kind under test.
  std::vector<int> ReplacementCalls() {
    std::vector<int> calls = Calls();
    bool linked = FirstAt(calls, SYS_linkat) <= calls.size();
    EXPECT_EQ(linked, m_UnnamedError == 0) << "the replacement made the other kind of temporary file";
    return calls;
  }

  // The call from which the temporary file has a name: the link of an unnamed one, or the open
  // that creates a named one, the last open before the rename.
  size_t NamedAt(const std::vector<int>& calls, size_t renameAt) const {
    return m_UnnamedError == 0 ? FirstAt(calls, SYS_linkat) : LastBefore(calls, SYS_openat, renameAt);
  }
};

TEST_P(ConfigReplaceFaultTest, EveryFailingCallLeavesTheFileAsItWas) {
  std::vector<int> calls = ReplacementCalls();
  ASSERT_GT(calls.size(), 5u);
  size_t renameAt = FirstAt(calls, SYS_rename);
  ASSERT_LE(renameAt, calls.size()) << "the rewrite made no rename";
  if (!m_Attributes.empty()) {
    EXPECT_LT(FirstAt(calls, SYS_fsetxattr), renameAt) << "the attribute was not copied";
    EXPECT_LT(FirstAt(calls, SYS_fremovexattr), renameAt) << "the inherited ACL was not removed";
  }
  int refused = 0;
  for (size_t at = 1; at <= calls.size(); ++at) {
    for (int error : {EIO, ENOSPC}) {
      SCOPED_TRACE("call " + std::to_string(at) + " (" + fault::SyscallName(calls[at - 1]) + ") fails with " +
                   strerror(error));
      ino_t inode = Inode();
      Report report;
      int status = 0;
      ASSERT_TRUE(Run(SyscallAction::kFail, at, error, &report, &status)) << "wait status " << status;
      EXPECT_TRUE(report.struck);
      // Up to the rename, a failed step of the replacement is a failed rewrite; other calls (the
      // size hint of a stream, a random name) may fail without harm. After the rename nothing
      // can take the new text back (not a failed sync of the folder), so the rewrite has happened.
      if (at <= renameAt && MustRefuse(calls[at - 1])) {
        EXPECT_EQ(report.result, -1);
      }
      if (at > renameAt) {
        EXPECT_EQ(report.result, 0);
      }
      if (LeadsInPlace(calls[at - 1])) {
        EXPECT_EQ(report.result, 0);
        EXPECT_EQ(Inode(), inode) << "replaced by a new file that lacks an attribute or has one more";
      }
      EXPECT_EQ(m_Dir.Read("store"), report.result == 0 ? kNew : kOld);
      EXPECT_EQ(Mode(), kMode);
      EXPECT_EQ(ExtendedAttributes(m_Path), m_Attributes);
      EXPECT_EQ(m_Dir.Names(), std::vector<std::string>{"store"});
      EXPECT_EQ(report.descriptorsLeft, 0);
      refused += report.result != 0;
      m_Dir.Write("store", kOld, kMode);
      if (HasFailure()) return;
    }
  }
  // Most calls come before the rename; a rewrite that ignored their failures would show here.
  EXPECT_GT(refused, static_cast<int>(calls.size()));
  printf(
      "ConfigSetValue, temporary file %s: %zu system calls, each failed with EIO and ENOSPC: %d refused, "
      "%zu completed\n",
      GetParam().name, calls.size(), refused, 2 * calls.size() - refused);
}

TEST_P(ConfigReplaceFaultTest, KillAfterEveryCallLeavesTheOldOrTheNewTextWhole) {
  std::vector<int> calls = ReplacementCalls();
  ASSERT_GT(calls.size(), 5u);
  size_t renameAt = FirstAt(calls, SYS_rename);
  ASSERT_LE(renameAt, calls.size()) << "the rewrite made no rename";
  size_t namedAt = NamedAt(calls, renameAt);
  ASSERT_GT(namedAt, 0u);
  ASSERT_LT(namedAt, renameAt);
  // An unnamed file is named only once it is whole and on the disk: the rename follows at once.
  if (m_UnnamedError == 0) {
    EXPECT_EQ(renameAt, namedAt + 1);
  }
  int sawOld = 0, sawNew = 0, sawTemporary = 0;
  for (size_t at = 1; at <= calls.size(); ++at) {
    SCOPED_TRACE("killed after call " + std::to_string(at) + " (" + fault::SyscallName(calls[at - 1]) + ")");
    Report report;
    int status = 0;
    EXPECT_FALSE(Run(SyscallAction::kKill, at, 0, &report, &status));
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "wait status " << status;
    // The rename is the one moment at which the file's text changes, and it changes whole.
    std::string text = m_Dir.Read("store");
    EXPECT_EQ(text, at < renameAt ? kOld : kNew);
    EXPECT_EQ(Mode(), kMode);
    EXPECT_EQ(ExtendedAttributes(m_Path), m_Attributes);
    sawOld += text == kOld;
    sawNew += text == kNew;
    // A killed process cannot remove a temporary file that has a name; it is the only other name,
    // hidden beside the store, and only from its naming to the rename.
    int left = CountTemporaryFiles();
    EXPECT_EQ(left, namedAt <= at && at < renameAt ? 1 : 0);
    sawTemporary += left;
    // The next rewrite takes away what the killed one left.
    if (left > 0) {
      EXPECT_TRUE(Run(SyscallAction::kCount, 0, 0, &report, &status));
      EXPECT_EQ(report.result, 0);
      EXPECT_EQ(m_Dir.Names(), std::vector<std::string>{"store"});
    }
    m_Dir.Write("store", kOld, kMode);
    if (HasFailure()) return;
  }
  // The last call comes after the rename, the first long before it.
  EXPECT_GT(sawOld, 0);
  EXPECT_GT(sawNew, 0);
  printf(
      "ConfigSetValue, temporary file %s: killed after each of %zu system calls: %d old texts, %d new, "
      "%d with a temporary file left\n",
      GetParam().name, calls.size(), sawOld, sawNew, sawTemporary);
}

// Another file put under the name once the file has been read (the path is resolved again from
// the first readlink on) is not what was opened, read and judged writable: the rewrite fails and
// leaves it in place. The name is checked last once the text is on the disk, and then only the
// naming of the temporary file comes before the rename.
TEST_P(ConfigReplaceFaultTest, FilePutUnderTheNameMeanwhileIsKept) {
  std::vector<int> calls = ReplacementCalls();
  size_t renameAt = FirstAt(calls, SYS_rename);
  ASSERT_LE(renameAt, calls.size()) << "the rewrite made no rename";
  size_t syncAt = FirstAt(calls, SYS_fsync), checkAt = LastBefore(calls, SYS_newfstatat, renameAt);
  ASSERT_GT(checkAt, syncAt) << "the name is not checked after the writing";
  for (size_t at = checkAt + 1; at < renameAt; ++at) {
    EXPECT_TRUE(calls[at - 1] == SYS_getrandom || calls[at - 1] == SYS_linkat)
        << fault::SyscallName(calls[at - 1]);
  }
  constexpr char kOther[] = "Name: other.so\nType: 7\n";
  std::string other = m_Dir.Path("other");
  fault::SyscallFaultRenameFirst(other.c_str(), m_Path.c_str());
  for (size_t at = FirstAt(calls, SYS_readlink); at <= checkAt; ++at) {
    SCOPED_TRACE("put under the name before call " + std::to_string(at) + " (" +
                 fault::SyscallName(calls[at - 1]) + ")");
    m_Dir.Write("other", kOther, kMode);
    struct stat put;
    ASSERT_EQ(stat(other.c_str(), &put), 0);
    Report report;
    int status = 0;
    ASSERT_TRUE(Run(SyscallAction::kRenameFirst, at, 0, &report, &status)) << "wait status " << status;
    EXPECT_EQ(report.result, -1);
    EXPECT_EQ(m_Dir.Read("store"), kOther);
    EXPECT_EQ(Inode(), put.st_ino);
    EXPECT_EQ(m_Dir.Names(), std::vector<std::string>{"store"});
    EXPECT_EQ(report.descriptorsLeft, 0);
    MakeStoreAnew();
    if (HasFailure()) return;
  }
}

// Where the folder takes no new file (a read-only mount), or the name takes no other file (a file
// mounted over it, a name on another mount), the file is rewritten through itself: the same file
// holds the new text.
TEST_P(ConfigReplaceFaultTest, RefusedPlaceLeadsToTheRewriteInPlace) {
  std::vector<int> calls = ReplacementCalls();
  size_t renameAt = FirstAt(calls, SYS_rename);
  ASSERT_LE(renameAt, calls.size()) << "the rewrite made no rename";
  size_t namedAt = NamedAt(calls, renameAt);
  size_t createAt = m_UnnamedError == 0 ? LastBefore(calls, SYS_openat, namedAt) : namedAt;
  struct Refusal {
    size_t at;
    int error;
  };
  for (Refusal refusal : {Refusal{createAt, EROFS}, Refusal{renameAt, EBUSY}, Refusal{renameAt, EXDEV}}) {
    SCOPED_TRACE("call " + std::to_string(refusal.at) + " (" + fault::SyscallName(calls[refusal.at - 1]) +
                 ") fails with " + strerror(refusal.error));
    ino_t inode = Inode();
    Report report;
    int status = 0;
    ASSERT_TRUE(Run(SyscallAction::kFail, refusal.at, refusal.error, &report, &status))
        << "wait status " << status;
    EXPECT_EQ(report.result, 0);
    EXPECT_EQ(m_Dir.Read("store"), kNew);
    EXPECT_EQ(Inode(), inode);
    EXPECT_EQ(Mode(), kMode);
    EXPECT_EQ(ExtendedAttributes(m_Path), m_Attributes);
    EXPECT_EQ(m_Dir.Names(), std::vector<std::string>{"store"});
    EXPECT_EQ(report.descriptorsLeft, 0);
    m_Dir.Write("store", kOld, kMode);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryKind, ConfigReplaceFaultTest, testing::ValuesIn(kTemporaryFiles),
                         [](const testing::TestParamInfo<TemporaryFiles>& info) { return info.param.name; });

TEST_F(ConfigIoFaultTest, EveryFailingCallOfTheRewriteInPlaceIsReported) {
  ASSERT_EQ(link(m_Path.c_str(), m_Dir.Path("other").c_str()), 0);
  std::vector<int> calls = Calls();
  // The text is put back through the file, so both names still share it.
  EXPECT_EQ(m_Dir.Read("other"), kOld);
  size_t writeAt = FirstAt(calls, SYS_write), syncAt = FirstAt(calls, SYS_fsync);
  ASSERT_LT(FirstAt(calls, SYS_ftruncate), syncAt) << "the file was not rewritten through itself";
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
      std::string text = m_Dir.Read("store");
      if (report.result == 0 || at < writeAt) {
        EXPECT_EQ(text, report.result == 0 ? kNew : kOld);
      }
      EXPECT_EQ(m_Dir.Read("other"), text);
      EXPECT_EQ(Mode(), kMode);
      EXPECT_EQ(ExtendedAttributes(m_Path), m_Attributes);
      EXPECT_EQ(SortedNames(), (std::vector<std::string>{"other", "store"}));
      EXPECT_EQ(report.descriptorsLeft, 0);
      refused += report.result != 0;
      m_Dir.Write("store", kOld, kMode);
      if (HasFailure()) return;
    }
  }
  printf("ConfigSetValue in place: %zu system calls, each failed with EIO and ENOSPC: %d refused\n",
         calls.size(), refused);
}

}  // namespace
}  // namespace velmora::config
