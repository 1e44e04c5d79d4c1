#include "units/plugin_trust.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/catalogue_root.h"
#include "tests/support/loaded_library.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scoped_temp_dir.h"

using namespace velmora::test;  // the shared test support

namespace {

constexpr uid_t kOtherUser = 65534;

class PluginTrustTest : public ::testing::Test {
 protected:
  PluginTrustTest() : m_Root(MakeRoot(m_Dir.path())), m_Library(m_Dir.path() + "/reader.so") {
    WriteFile(m_Library, "not loaded here");
    chmod(m_Library.c_str(), 0755);
    WriteEntry(m_Root, "reader", m_Library, 1);
    chmod((m_Root + "/reader").c_str(), 0644);
  }

  TrustFinding Examine(const std::string& entryName = "reader") {
    return ExamineEntryFiles(m_Root.c_str(), PluginEntry{entryName, m_Library, 1});
  }

  // The finding's kind as another (non-root) user sees the same files.
  TrustFinding::Kind KindAsOtherUser() {
    pid_t child = fork();
    if (child == 0) _exit(setuid(kOtherUser) == 0 ? Examine().kind : 99);
    int status = 0;
    waitpid(child, &status, 0);
    return static_cast<TrustFinding::Kind>(WEXITSTATUS(status));
  }

  ScopedTempDir m_Dir;
  std::string m_Root;
  std::string m_Library;
};

TEST_F(PluginTrustTest, FilesOfRootOrTheCallerPassUnlessOthersMayWriteThem) {
  EXPECT_EQ(Examine().kind, TrustFinding::kTrusted);

  chmod(m_Library.c_str(), 0775);
  TrustFinding finding = Examine();
  EXPECT_EQ(finding.kind, TrustFinding::kUntrusted);
  EXPECT_EQ(finding.file, m_Library);
  EXPECT_EQ(finding.reason, "writable by group or others (mode 0775)");
  chmod(m_Library.c_str(), 0755);

  chmod((m_Root + "/reader").c_str(), 0646);
  finding = Examine();
  EXPECT_EQ(finding.file, m_Root + "/reader");
  EXPECT_EQ(finding.reason, "writable by group or others (mode 0646)");
}

TEST_F(PluginTrustTest, OwnerMustBeRootOrTheCallingUser) {
  if (getuid() != 0) GTEST_SKIP() << "changing owners needs root";
  ASSERT_EQ(chown(m_Library.c_str(), kOtherUser, kOtherUser), 0);
  TrustFinding finding = Examine();
  EXPECT_EQ(finding.kind, TrustFinding::kUntrusted);
  EXPECT_EQ(finding.reason, "owned by uid 65534, neither root nor the calling user");
  chmod(m_Dir.path().c_str(), 0755);  // the other user must reach the files
  // The same files are that user's own: a user may load the plug-ins that he installed himself.
  EXPECT_EQ(KindAsOtherUser(), TrustFinding::kTrusted);
  ASSERT_EQ(chown(m_Library.c_str(), 0, 0), 0);
  ASSERT_EQ(chown((m_Root + "/reader").c_str(), kOtherUser + 1, 0), 0);
  EXPECT_EQ(KindAsOtherUser(), TrustFinding::kUntrusted);
}

TEST_F(PluginTrustTest, FolderEntryIsCheckedWithItsConfAndLinksAreFollowed) {
  std::filesystem::create_directory(m_Root + "/folder");
  WriteFile(m_Root + "/folder/conf", "Name: x\nType: 1\n");
  chmod((m_Root + "/folder").c_str(), 0755);
  chmod((m_Root + "/folder/conf").c_str(), 0644);
  EXPECT_EQ(Examine("folder").kind, TrustFinding::kTrusted);
  chmod((m_Root + "/folder").c_str(), 0757);
  EXPECT_EQ(Examine("folder").file, m_Root + "/folder");
  chmod((m_Root + "/folder").c_str(), 0755);
  chmod((m_Root + "/folder/conf").c_str(), 0664);
  EXPECT_EQ(Examine("folder").file, m_Root + "/folder/conf");

  // A link's own mode is always 0777; what counts is the file that is read through it.
  std::filesystem::create_symlink(m_Root + "/reader", m_Root + "/link");
  EXPECT_EQ(Examine("link").kind, TrustFinding::kTrusted);
  chmod((m_Root + "/reader").c_str(), 0666);
  EXPECT_EQ(Examine("link").kind, TrustFinding::kUntrusted);
}

TEST_F(PluginTrustTest, MissingFilesAndLoaderSearchNames) {
  std::filesystem::remove(m_Library);
  TrustFinding finding = Examine();
  EXPECT_EQ(finding.kind, TrustFinding::kMissing);
  EXPECT_EQ(finding.file, m_Library);
  // A bare name is found by the loader in the system's folders, not in the working folder.
  EXPECT_EQ(ExamineEntryFiles(m_Root.c_str(), PluginEntry{"reader", "libreader.so", 1}).kind,
            TrustFinding::kTrusted);
}

TEST_F(PluginTrustTest, ARelativeRootIsExaminedWhereTheStoreReadsIt) {
  chmod((m_Root + "/reader").c_str(), 0666);
  std::string parent = std::filesystem::path(m_Root).parent_path().string();
  std::string relative = std::filesystem::path(m_Root).filename().string();
  ScopedEnv prefix("QX_PATH", parent.c_str());
  TrustFinding finding = ExamineEntryFiles(relative.c_str(), PluginEntry{"reader", m_Library, 1});
  EXPECT_EQ(finding.kind, TrustFinding::kUntrusted);
  EXPECT_EQ(finding.file, m_Root + "/reader");
}

}  // namespace
