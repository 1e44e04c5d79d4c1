// The rewrite keeps a file's extended attributes: its ACL, and with it who may write the file, its
// security labels and its user attributes. A new file takes the file's place only when it carries
// every one of them and nothing more; where one cannot be copied the file is rewritten through
// itself. The files are made as root; each rewrite runs in a forked child, as root or as an
// ordinary user, and so does each probe of who may write the file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "config/config_store.h"
#include "tests/support/file_attributes.h"
#include "tests/support/forked_child.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/store_handle.h"

using namespace velmora::test;  // the shared test support

namespace velmora::config {
namespace {

constexpr uid_t kRoot = 0;
constexpr uid_t kUser = 65534;
constexpr gid_t kGroup = 4242;        // a group of neither
constexpr uid_t kGroupMember = 4243;  // a user of that group alone
constexpr char kOld[] = "Name: lib.so\nType: 1\n";
constexpr char kNew[] = "Name: lib.so\nType: 2\n";
constexpr char kAccessAcl[] = "system.posix_acl_access";

using Tag = AclEntry::Tag;

// Mode 0640 with write for kUser: the group bits of the mode become the mask, rw.
const std::string kAclForAnotherUser = AclAttribute(
    {{Tag::kOwner, 6}, {Tag::kUser, 6, kUser}, {Tag::kOwningGroup, 4}, {Tag::kMask, 6}, {Tag::kOther, 0}});
const std::string kAclForTheGroupMember = AclAttribute({{Tag::kOwner, 6},
                                                        {Tag::kUser, 6, kGroupMember},
                                                        {Tag::kOwningGroup, 4},
                                                        {Tag::kMask, 6},
                                                        {Tag::kOther, 0}});
// What a new file in the folder would inherit: write for kUser.
const std::string kDefaultAcl = AclAttribute(
    {{Tag::kOwner, 7}, {Tag::kUser, 7, kUser}, {Tag::kOwningGroup, 5}, {Tag::kMask, 7}, {Tag::kOther, 5}});

struct Case {
  const char* name;
  uid_t owner;                                    // of the file and its folder
  gid_t group;                                    // of the file
  uid_t rewriter;                                 // who rewrites the file
  std::map<std::string, std::string> attributes;  // set on the file by root
  bool folderDefaultAcl;
  bool replaced;  // by a new file; else rewritten through itself
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

const Case kCases[] = {
    {"AclOfAnotherUserIsKept", kRoot, kGroup, kRoot, {{kAccessAcl, kAclForAnotherUser}}, false, true},
    {"AclOnTheRewritersOwnFileIsKept",
     kUser,
     kUser,
     kUser,
     {{kAccessAcl, kAclForTheGroupMember}},
     false,
     true},
    {"UserAttributeIsKept", kRoot, kGroup, kRoot, {{"user.velmora.origin", "package"}}, false, true},
    {"InheritedAclIsNotTaken", kRoot, kGroup, kRoot, {}, true, true},
    {"LabelThatOnlyRootMaySetKeepsTheFile",
     kUser,
     kUser,
     kUser,
     {{"security.velmora", "label"}},
     false,
     false},
};

// Whether `uid`, of the group `gid` alone, may open the file for writing.
bool MayWrite(const std::string& path, uid_t uid, gid_t gid) {
  return RunInChild([&] {
           if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0) return 2;
           int fd = open(path.c_str(), O_WRONLY);
           return fd >= 0 ? 0 : 1;
         }) == 0;
}

// Whether a member of kGroup, kUser and another user may write the file.
std::vector<bool> Writers(const std::string& path) {
  return {MayWrite(path, kGroupMember, kGroup), MayWrite(path, kUser, kUser), MayWrite(path, 4244, 4244)};
}

// 0 when the rewrite succeeded, 1 when it failed, 2 when the child could not become `rewriter`.
int RewriteAs(uid_t rewriter, const std::string& path) {
  if (rewriter != kRoot && !BecomeUser(rewriter)) return 2;
  Handle h = Open(path);
  return h && ConfigSetInt(h.get(), "Type", 2) == 0 ? 0 : 1;
}

struct stat Status(const std::string& path) {
  struct stat status = {};
  stat(path.c_str(), &status);
  return status;
}

class ConfigRewriteAttributesTest : public testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to make the files and give it up";
    const Case& c = GetParam();
    ASSERT_EQ(chmod(m_Dir.path().c_str(), 0755), 0);
    ASSERT_EQ(chown(m_Dir.path().c_str(), c.owner, c.owner), 0);
    m_Path = m_Dir.Write("store", kOld, 0640);
    ASSERT_EQ(chown(m_Path.c_str(), c.owner, c.group), 0);
    for (const auto& [name, value] : c.attributes)
      ASSERT_TRUE(SetExtendedAttribute(m_Path, name, value)) << name << ": " << strerror(errno);
    if (c.folderDefaultAcl) {
      ASSERT_TRUE(SetExtendedAttribute(m_Dir.path(), "system.posix_acl_default", kDefaultAcl));
    }
  }
  ScopedTempDir m_Dir;
  std::string m_Path;
};

TEST_P(ConfigRewriteAttributesTest, FileKeepsItsAttributesAndWhoMayWriteIt) {
  const Case& c = GetParam();
  std::map<std::string, std::string> attributes = ExtendedAttributes(m_Path);
  ASSERT_EQ(attributes.size(), c.attributes.size()) << "the file system keeps no extended attributes";
  struct stat before = Status(m_Path);
  std::vector<bool> writers = Writers(m_Path);
  ASSERT_EQ(RunInChild([&] { return RewriteAs(c.rewriter, m_Path); }), 0);
  EXPECT_EQ(m_Dir.Read("store"), kNew);
  EXPECT_EQ(ExtendedAttributes(m_Path), attributes);
  struct stat after = Status(m_Path);
  EXPECT_EQ(after.st_mode, before.st_mode);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  EXPECT_EQ(Writers(m_Path), writers);
  EXPECT_EQ(after.st_ino != before.st_ino, c.replaced)
      << "replaced by a new file, or rewritten through itself";
  EXPECT_EQ(m_Dir.Names(), std::vector<std::string>{"store"});
}

INSTANTIATE_TEST_SUITE_P(AsRootAndAsAnOrdinaryUser, ConfigRewriteAttributesTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace velmora::config
