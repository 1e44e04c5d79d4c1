// The clean-up of old samples: what goes and what stays, by name, kind, owner and age.
#include "plugins/fprint/fp_sample_sweep.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "tests/support/scoped_temp_dir.h"

using namespace velmora::test;  // the shared test support

namespace {

enum class Kind { kFile, kLink, kFolder };

struct Entry {
  const char* name;
  Kind kind;
  uid_t owner;
  time_t age;  // seconds before now of its last change
  bool kept;
};

constexpr time_t kOld = kFprintSampleLifetimeSeconds + 60;
constexpr time_t kFresh = kFprintSampleLifetimeSeconds - 60;

// Makes the entry and sets its times `age` seconds back.
void Make(const ScopedTempDir& dir, const Entry& entry, time_t now) {
  std::string path = dir.Path(entry.name);
  if (entry.kind == Kind::kFile) dir.Write(entry.name, "P5\n1 1\n255\n\x01", 0600);
  if (entry.kind == Kind::kLink) {
    ASSERT_EQ(symlink("/nonexistent", path.c_str()), 0);
  }
  if (entry.kind == Kind::kFolder) {
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
  }
  ASSERT_EQ(lchown(path.c_str(), entry.owner, entry.owner), 0);
  timespec times[2] = {{now - entry.age, 0}, {now - entry.age, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

TEST(FprintSampleSweepTest, OnlyTheCallersOwnExpiredSamplesGo) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root: a file of another user";
  const Entry entries[] = {
      {"sample-aaaaaa.pgm", Kind::kFile, 0, kOld, false},
      {"sample-bbbbbb.pgm", Kind::kFile, 0, kFresh, true},
      {"sample-cccccc.pgm", Kind::kFile, 65534, kOld, true},
      {"sample-dddddd.pgm", Kind::kLink, 0, kOld, true},
      {"sample-eeeeee.pgm", Kind::kFolder, 0, kOld, true},
      {"sample-ff.pgm", Kind::kFile, 0, kOld, true},
      {"notes.pgm", Kind::kFile, 0, kOld, true},
      {"sample-gggggg.png", Kind::kFile, 0, kOld, true},
  };
  ScopedTempDir dir;
  time_t now = time(nullptr);
  for (const Entry& entry : entries) Make(dir, entry, now);
  int fd = open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  FprintSweepSamples(fd, dir.path().c_str(), now);
  close(fd);
  std::vector<std::string> names = dir.Names();
  for (const Entry& entry : entries)
    EXPECT_EQ(std::count(names.begin(), names.end(), entry.name), entry.kept ? 1 : 0) << entry.name;
}

}  // namespace
