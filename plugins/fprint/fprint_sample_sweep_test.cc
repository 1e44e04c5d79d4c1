// The clean-up of old samples and of the fresh folders that held them: what goes and what stays,
// by name, kind, owner, age and what a folder holds.
#include "plugins/fprint/fprint_sample_sweep.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "tests/support/scoped_temp_dir.h"

using namespace velmora::test;  // the shared test support

namespace {

// A folder's kind says what it holds: nothing, one sample old or fresh, or a file of another name.
enum class Kind { kFile, kLink, kFolder, kFolderOldSample, kFolderFreshSample, kFolderOther };

struct Entry {
  const char* name;
  Kind kind;
  uid_t owner;
  time_t age;  // seconds before now of its last change
  bool kept;
};

constexpr time_t kOld = kFprintSampleLifetimeSeconds + 60;
constexpr time_t kFresh = kFprintSampleLifetimeSeconds - 60;

// Gives `path` the owner and sets its times `age` seconds back.
void Stamp(const std::string& path, uid_t owner, time_t age, time_t now) {
  ASSERT_EQ(lchown(path.c_str(), owner, owner), 0);
  timespec times[2] = {{now - age, 0}, {now - age, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

// The file that a folder of `kind` holds, "" for none, and its age.
std::pair<std::string, time_t> Inside(Kind kind) {
  if (kind == Kind::kFolderOldSample) return {"sample-oooooo.pgm", kOld};
  if (kind == Kind::kFolderFreshSample) return {"sample-ffffff.pgm", kFresh};
  if (kind == Kind::kFolderOther) return {"notes.txt", kOld};
  return {"", 0};
}

// Makes the entry, and what a folder holds, with the entry's owner; the entry's times come last.
void Make(const ScopedTempDir& dir, const Entry& entry, time_t now) {
  std::string path = dir.Path(entry.name);
  if (entry.kind == Kind::kFile) dir.Write(entry.name, "P5\n1 1\n255\n\x01", 0600);
  if (entry.kind == Kind::kLink) {
    ASSERT_EQ(symlink("/nonexistent", path.c_str()), 0);
  }
  if (entry.kind != Kind::kFile && entry.kind != Kind::kLink) {
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
  }
  auto [inside, age] = Inside(entry.kind);
  if (!inside.empty())
    Stamp(dir.Write(std::string(entry.name) + "/" + inside, "P5\n", 0600), entry.owner, age, now);
  Stamp(path, entry.owner, entry.age, now);
}

// The folder stands for the sample folder and for the shared folder around it at once; the caller
// is root, so its fresh folders are velmora-0-XXXXXX.
TEST(FprintSampleSweepTest, OnlyTheCallersOwnExpiredSamplesAndTheirFreshFoldersGo) {
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
      {"velmora-0-aaaaaa", Kind::kFolder, 0, kOld, false},
      {"velmora-0-bbbbbb", Kind::kFolderOldSample, 0, kOld, false},
      {"velmora-0-cccccc", Kind::kFolder, 0, kFresh, true},  // just made by a capture
      {"velmora-0-dddddd", Kind::kFolderFreshSample, 0, kOld, true},
      {"velmora-0-eeeeee", Kind::kFolderOther, 0, kOld, true},
      {"velmora-0-ffffff", Kind::kFolder, 65534, kOld, true},
      {"velmora-0-gggggg", Kind::kLink, 0, kOld, true},
      {"velmora-0", Kind::kFolder, 0, kOld, true},
      {"velmora-1-hhhhhh", Kind::kFolder, 0, kOld, true},
  };
  ScopedTempDir dir;
  time_t now = time(nullptr);
  for (const Entry& entry : entries) Make(dir, entry, now);
  int fd = open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  FprintSweepSamples(fd, dir.path().c_str(), now);
  FprintSweepFreshFolders(fd, dir.path().c_str(), now);
  close(fd);
  std::vector<std::string> names = dir.Names();
  for (const Entry& entry : entries)
    EXPECT_EQ(std::count(names.begin(), names.end(), entry.name), entry.kept ? 1 : 0) << entry.name;
}

}  // namespace
