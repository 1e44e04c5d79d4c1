// The replacement where its system calls succeed. Its outcomes where one fails, or where the
// process is killed after one, are tested call by call in config_io_fault_test.cc.
#include "config/atomic_replace.h"

#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/support/scoped_temp_dir.h"

using namespace velmora::test;  // the shared test support

namespace velmora::config {
namespace {

constexpr char kOld[] = "Name: old.so\nType: 1\n";
constexpr char kNew[] = "Name: new.so\nType: 1\n";

// Replaces the file at `path` as opened now, as the rewrite does.
FILE* Replace(const std::string& path, std::string_view text) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  FILE* stream = ReplaceFileAtomically(path.c_str(), fd, text);
  int error = errno;
  if (fd >= 0) close(fd);
  errno = error;
  return stream;
}

TEST(AtomicReplace, GivesAStreamAtTheEndOfTheNewFile) {
  ScopedTempDir dir;
  std::string path = dir.Write("store", kOld);
  FILE* stream = Replace(path, kNew);
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
  EXPECT_EQ(Replace(dir.path(), kNew), nullptr);
  EXPECT_EQ(Replace(dir.Path("missing"), kNew), nullptr);
  EXPECT_TRUE(dir.Names().empty());
}

// A new file would leave the file's other name on the old text.
TEST(AtomicReplace, RefusesAFileWithASecondLink) {
  ScopedTempDir dir;
  std::string path = dir.Write("store", kOld);
  ASSERT_EQ(link(path.c_str(), dir.Path("other").c_str()), 0);
  errno = 0;
  EXPECT_EQ(Replace(path, kNew), nullptr);
  EXPECT_TRUE(CannotReplaceKeepingTheFile(errno)) << strerror(errno);
  EXPECT_EQ(dir.Read("store"), kOld);
  EXPECT_EQ(dir.Read("other"), kOld);
  EXPECT_EQ(dir.Names().size(), 2u);
}

}  // namespace
}  // namespace velmora::config
