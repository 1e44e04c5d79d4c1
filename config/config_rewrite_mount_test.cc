// The rewrite where no new file can take the file's name, though the file itself may be written: a
// file mounted over the name, as a container's volume is (the rename is refused), and a writable
// file mounted into a read-only folder (no new file can be made there). The file is rewritten
// through itself. Each rewrite runs in a forked child with mounts of its own, which go with it.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <ostream>
#include <string>
#include <vector>

#include "config/config_store.h"
#include "tests/support/forked_child.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/store_handle.h"

using namespace velmora::test;  // the shared test support

namespace velmora::config {
namespace {

constexpr char kOld[] = "Name: lib.so\nType: 1\n";
constexpr char kNew[] = "Name: lib.so\nType: 2\n";

struct Case {
  const char* name;
  bool readOnlyFolder;  // the folder is made read-only before the volume's file is mounted
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

const Case kCases[] = {
    {"FileMountedOverTheName", false},
    {"WritableFileInAReadOnlyFolder", true},
};

// What the child reports: the rewrite's result, and whether the handle then reads the new text.
enum Outcome { kRewritten, kRefused, kHandleWrong, kNoMounts };

bool MountReadOnly(const std::string& folder) {
  return mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
         mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

Outcome RewriteUnderMounts(const Case& c, const std::string& folder, const std::string& volumeFile) {
  if (!EnterPrivateMounts() || (c.readOnlyFolder && !MountReadOnly(folder))) return kNoMounts;
  std::string conf = folder + "/conf";
  if (mount(volumeFile.c_str(), conf.c_str(), nullptr, MS_BIND, nullptr) != 0) return kNoMounts;
  Handle h = Open(folder);
  if (!h) return kHandleWrong;
  int result = ConfigSetInt(h.get(), "Type", 2);
  if (Find(h.get(), "Type") != (result == 0 ? "2" : "1")) return kHandleWrong;
  return result == 0 ? kRewritten : kRefused;
}

ino_t Inode(const std::string& path) {
  struct stat status = {};
  stat(path.c_str(), &status);
  return status.st_ino;
}

class ConfigRewriteMountTest : public testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to mount";
    m_Folder.Write("conf", kOld);
    m_Volume.Write("conf", kOld);
  }
  ScopedTempDir m_Folder;  // the store, whose "conf" the volume's file covers
  ScopedTempDir m_Volume;  // holds the file that is mounted over the store's "conf"
};

TEST_P(ConfigRewriteMountTest, FileIsRewrittenThroughItself) {
  ino_t inode = Inode(m_Volume.Path("conf"));
  int outcome =
      RunInChild([&] { return RewriteUnderMounts(GetParam(), m_Folder.path(), m_Volume.Path("conf")); });
  ASSERT_NE(outcome, kNoMounts) << "the child could not mount";
  EXPECT_EQ(outcome, kRewritten);
  EXPECT_EQ(m_Volume.Read("conf"), kNew);
  EXPECT_EQ(Inode(m_Volume.Path("conf")), inode);
  // The file under the mount is not the store's, and no temporary file is left beside it.
  EXPECT_EQ(m_Folder.Read("conf"), kOld);
  EXPECT_EQ(m_Folder.Names(), std::vector<std::string>{"conf"});
}

INSTANTIATE_TEST_SUITE_P(InPrivateMounts, ConfigRewriteMountTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace velmora::config
