// The sample folder when other users got there first: the predictable folder taken, linked or
// opened to all, and runtime folders that are not the caller's alone. Each case runs in a child
// with private, empty /tmp and /dev/shm; uid 65534 plays the other user.
#include "plugins/fprint/fprint_sample_dir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "plugins/fprint/fprint_pgm.h"
#include "tests/support/forked_child.h"
#include "tests/support/private_mounts.h"

using namespace velmora::test;  // the shared test support

namespace {

constexpr uid_t kOtherUser = 65534;
const std::string kShared = "/dev/shm/velmora-0";  // the caller is root

// Runs `prepare` on the predictable folder in /dev/shm and in /tmp alike; true when both succeed.
bool InBoth(const std::function<bool(const char*)>& prepare) {
  return prepare(kShared.c_str()) && prepare("/tmp/velmora-0");
}

struct FolderCase {
  const char* name;
  std::function<bool()> asOther;   // what the other user prepares first; empty: nothing
  std::function<bool()> asCaller;  // what the caller prepares; empty: nothing
  const char* runtime;             // XDG_RUNTIME_DIR; null: unset
  const char* setting;             // VELMORA_FPRINT_SAMPLE_DIR; null: unset
  std::string folder;              // the folder used, "<prefix>*" for a fresh one; "" when refused
  const char* line;                // a part of the one line on standard error; null: silent
};

// In the child: opens the sample folder as the case says and writes one image into it. Writes
// its standard error and then a line "@<result> <path> <uid> <mode> <image inside>" to `out`.
int OpenAsTheCaseSays(const FolderCase& c, int out) {
  if (!MountPrivateTmpfs({"/tmp", "/dev/shm"})) return 100;
  if (c.asOther && RunInChild([&] { return BecomeUser(kOtherUser) && c.asOther() ? 0 : 1; }) != 0) return 101;
  if (c.asCaller && !c.asCaller()) return 102;
  c.runtime ? setenv("XDG_RUNTIME_DIR", c.runtime, 1) : unsetenv("XDG_RUNTIME_DIR");
  c.setting ? setenv("VELMORA_FPRINT_SAMPLE_DIR", c.setting, 1) : unsetenv("VELMORA_FPRINT_SAMPLE_DIR");
  dup2(out, STDERR_FILENO);
  FprintSampleFolder folder;
  int result = FprintSampleFolderOpen(&folder);
  struct stat st = {};
  FprintPgm pgm = {nullptr, nullptr};
  const unsigned char pixels[4] = {0, 1, 2, 3};
  bool inside = result == 0 && fstat(folder.m_Fd, &st) == 0 &&
                FprintWritePgm(&folder, pixels, 2, 2, &pgm) == 0 &&
                faccessat(folder.m_Fd, strrchr(pgm.m_Path, '/') + 1, F_OK, AT_SYMLINK_NOFOLLOW) == 0;
  dprintf(out, "\n@%d %s %u %o %d\n", result, folder.m_Path ? folder.m_Path : "-", st.st_uid,
          st.st_mode & 07777, inside);
  return 0;
}

// Runs the case in a child; gives everything the child wrote.
std::string RunCase(const FolderCase& c) {
  int channel[2];
  if (pipe(channel) != 0) return "pipe failed";
  int status = RunInChild([&] { return OpenAsTheCaseSays(c, channel[1]); });
  close(channel[1]);
  std::string text = "status " + std::to_string(status) + "\n";
  char buffer[4096];
  for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  close(channel[0]);
  return text;
}

// What the child found, as the case expects it.
std::string Expected(const FolderCase& c, const std::string& got) {
  if (c.folder.empty()) return "@-1 - 0 0 0";
  std::string path = c.folder;
  if (path.back() == '*') {  // a fresh folder: the prefix, then mkdtemp's six characters
    size_t at = got.find(' ', 1);
    std::string used = at == std::string::npos ? "" : got.substr(at + 1, got.find(' ', at + 1) - at - 1);
    path =
        used.rfind(path.substr(0, path.size() - 1), 0) == 0 && used.size() == path.size() + 5 ? used : path;
  }
  return "@0 " + path + " 0 700 1";
}

TEST(FprintSampleDirTest, TheFolderIsTheCallersAloneWhateverOthersPreparedFirst) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root: private mounts and the other user";
  const FolderCase cases[] = {
      {"nothing prepared", {}, {}, nullptr, nullptr, kShared, nullptr},
      {"the other user's folder",
       [] { return InBoth([](const char* path) { return mkdir(path, 0700) == 0; }); },
       {},
       nullptr,
       nullptr,
       kShared + "-*",
       "is taken by someone else"},
      {"the other user's link to their folder",
       [] {
         return mkdir("/dev/shm/theirs", 0700) == 0 &&
                InBoth([](const char* path) { return symlink("/dev/shm/theirs", path) == 0; });
       },
       {},
       nullptr,
       nullptr,
       kShared + "-*",
       "is taken by someone else"},
      {"the other user's file",
       [] { return InBoth([](const char* path) { return creat(path, 0600) >= 0; }); },
       {},
       nullptr,
       nullptr,
       kShared + "-*",
       "is taken by someone else"},
      {"the caller's own folder open to all",
       {},
       [] {
         return InBoth([](const char* path) { return mkdir(path, 0700) == 0 && chmod(path, 0777) == 0; });
       },
       nullptr,
       nullptr,
       kShared + "-*",
       "is taken by someone else"},
      {"a private runtime folder",
       {},
       [] { return mkdir("/tmp/run", 0700) == 0; },
       "/tmp/run",
       nullptr,
       "/tmp/run/velmora",
       nullptr},
      {"a runtime folder open to others",
       {},
       [] { return mkdir("/tmp/run", 0755) == 0; },
       "/tmp/run",
       nullptr,
       kShared,
       nullptr},
      {"a runtime folder below one of the other user's", [] { return mkdir("/tmp/theirs", 0755) == 0; },
       [] { return mkdir("/tmp/theirs/run", 0700) == 0; }, "/tmp/theirs/run", nullptr, kShared, nullptr},
      {"a setting below one of the other user's",
       [] { return mkdir("/tmp/theirs", 0777) == 0; },
       {},
       nullptr,
       "/tmp/theirs/samples",
       "",
       "refusing sample folder /tmp/theirs/samples"},
      {"a setting that holds the separator",
       {},
       {},
       nullptr,
       "/tmp/a;b",
       "",
       "refusing sample folder /tmp/a;b"},
  };
  for (const FolderCase& c : cases) {
    std::string got = RunCase(c);
    std::string outcome = got.substr(got.rfind('@') == std::string::npos ? 0 : got.rfind('@'));
    outcome = outcome.substr(0, outcome.find('\n'));
    EXPECT_EQ(outcome, Expected(c, outcome)) << c.name << "\n" << got;
    size_t lines = std::count(got.begin(), got.end(), '\n') - 3;  // status line, blank line, outcome line
    EXPECT_EQ(lines, c.line ? 1u : 0u) << c.name << "\n" << got;
    if (c.line) {
      EXPECT_NE(got.find(c.line), std::string::npos) << c.name << "\n" << got;
    }
  }
}

}  // namespace
