// The rewrite as an ordinary user: the file's own write permission decides, whatever its folder
// allows, and a rewritten file keeps its owner, group, mode and links. Each rewrite runs in a
// forked child that has given up root; the files are made as root beforehand.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/forked_child.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/store_handle.h"

using namespace velmora::test;  // the shared test support

namespace velmora::config {
namespace {

constexpr uid_t kUser = 65534;
constexpr uid_t kRoot = 0;
constexpr char kOld[] = "Name: lib.so\nType: 1\n";
constexpr char kNew[] = "Name: lib.so\nType: 2\n";

struct Case {
  const char* name;
  uid_t fileOwner;  // and group
  mode_t fileMode;
  uid_t folderOwner;  // and group; the folder's mode is 0755
  bool secondLink;    // the file has a second name in its folder
  bool rewritten;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

const Case kCases[] = {
    {"OwnReadOnlyFileInOwnFolderIsRefused", kUser, 0444, kUser, false, false},
    {"RootsFileInOwnFolderIsRefused", kRoot, 0644, kUser, false, false},
    {"OwnFileInRootsFolderIsRewritten", kUser, 0644, kRoot, false, true},
    {"RootsOpenFileInRootsFolderIsRewritten", kRoot, 0666, kRoot, false, true},
    {"RootsOpenFileInOwnFolderStaysRoots", kRoot, 0666, kUser, false, true},
    {"FileWithASecondLinkIsRewrittenUnderBothNames", kUser, 0644, kUser, true, true},
};

// What the child reports: the rewrite's result, and whether the handle then reads what the file
// holds, from its end.
enum Outcome { kRewritten, kRefused, kHandleWrong, kNoHandle, kStillRoot };

Outcome RewriteAsUser(const std::string& path) {
  if (!BecomeUser(kUser)) return kStillRoot;
  Handle h = Open(path);
  if (!h) return kNoHandle;
  int result = ConfigSetInt(h.get(), "Type", 2);
  bool atEnd = !Find(h.get(), "Type", ConfigGetNextValue);
  bool reads = Find(h.get(), "Type") == (result == 0 ? "2" : "1");
  if (!atEnd || !reads) return kHandleWrong;
  return result == 0 ? kRewritten : kRefused;
}

class ConfigRewritePermissionTest : public testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to make the files and give it up";
    const Case& c = GetParam();
    ASSERT_EQ(chmod(m_Dir.path().c_str(), 0755), 0);
    ASSERT_EQ(chown(m_Dir.path().c_str(), c.folderOwner, c.folderOwner), 0);
    m_Path = m_Dir.Write("store", kOld, c.fileMode);
    ASSERT_EQ(chown(m_Path.c_str(), c.fileOwner, c.fileOwner), 0);
    if (c.secondLink) {
      ASSERT_EQ(link(m_Path.c_str(), m_Dir.Path("other").c_str()), 0);
    }
  }
  // The folder's names, sorted: the file's own, and its second link.
  std::vector<std::string> Names() const {
    if (GetParam().secondLink) return {"other", "store"};
    return {"store"};
  }
  ScopedTempDir m_Dir;
  std::string m_Path;
};

TEST_P(ConfigRewritePermissionTest, FileDecidesAndKeepsItsOwnerModeAndLinks) {
  const Case& c = GetParam();
  int outcome = RunInChild([&] { return RewriteAsUser(m_Path); });
  EXPECT_EQ(outcome, c.rewritten ? kRewritten : kRefused);
  for (const std::string& name : Names()) EXPECT_EQ(m_Dir.Read(name), c.rewritten ? kNew : kOld);
  struct stat status;
  ASSERT_EQ(stat(m_Path.c_str(), &status), 0);
  EXPECT_EQ(status.st_uid, c.fileOwner);
  EXPECT_EQ(status.st_gid, c.fileOwner);
  EXPECT_EQ(status.st_mode & 07777, c.fileMode);
  EXPECT_EQ(status.st_nlink, Names().size());
  std::vector<std::string> left = m_Dir.Names();
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, Names()) << "a temporary file is left";
}

INSTANTIATE_TEST_SUITE_P(AsAnOrdinaryUser, ConfigRewritePermissionTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace velmora::config
