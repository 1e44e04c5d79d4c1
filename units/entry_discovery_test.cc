#include "units/entry_discovery.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <string.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "tests/support/catalogue_root.h"
#include "tests/support/loaded_library.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/traced_root.h"
#include "units/unit_list.h"

using namespace velmora::test;  // the shared test support

namespace {

class EntryDiscoveryTest : public ::testing::Test, protected TracedRoot {
 protected:
  EntryDiscoveryTest() : TracedRoot("7,2") {}

  // Writes the plain-file entry `name` into the root and gives it as the catalogue lists it.
  PluginEntry Entry(const std::string& name, const std::string& library, int type) {
    WriteEntry(m_Root, name, library, type);
    return PluginEntry{name, library, type};
  }

  // A copy of the test plug-in "b" that group and others may write.
  std::string OpenLibrary() {
    std::string copy = m_Dir.path() + "/libopen.so";
    std::filesystem::copy_file(FPXTEST_B_SO, copy);
    chmod(copy.c_str(), 0777);
    return copy;
  }

  // The outcome of `entry` in the program's discovery; what it wrote on standard error.
  EntryDiscovery DiscoverQuietly(const PluginEntry& entry, std::string* said) {
    testing::internal::CaptureStderr();
    EntryDiscovery found = DiscoverEntry(m_Root.c_str(), entry);
    *said = testing::internal::GetCapturedStderr();
    return found;
  }
};

TEST_F(EntryDiscoveryTest, TheTypeBitIsLookedAtBeforeAnyFile) {
  std::string said;
  EntryDiscovery found = DiscoverQuietly(Entry("even", OpenLibrary(), 2), &said);
  EXPECT_EQ(found.kind, EntryDiscovery::kNotBiometric);
  EXPECT_EQ(found.trust.kind, TrustFinding::kTrusted);
  EXPECT_EQ(found.trust.file, "");
  EXPECT_TRUE(found.units.empty());
  EXPECT_EQ(said, "");
  EXPECT_TRUE(ReadLines(m_TpTrace).empty());
}

TEST_F(EntryDiscoveryTest, AFileOthersMayChangeIsNamedWithItsReasonAndNeverLoaded) {
  std::string library = OpenLibrary();
  PluginEntry open = Entry("open", library, 1);
  std::string said;
  EntryDiscovery found = DiscoverQuietly(open, &said);
  EXPECT_EQ(found.kind, EntryDiscovery::kUntrusted);
  EXPECT_EQ(found.trust.file, library);
  EXPECT_EQ(found.trust.reason, "writable by group or others (mode 0777)");
  EXPECT_TRUE(found.units.empty());
  EXPECT_EQ(said, "") << "saying it is the caller's choice";
  // An explained discovery refuses it all the same.
  EntryDiscovery explained = DiscoverEntryExplained(m_Root.c_str(), open);
  EXPECT_EQ(explained.kind, EntryDiscovery::kUntrusted);
  EXPECT_EQ(explained.trust.file, library);
  EXPECT_EQ(explained.why, "");
  EXPECT_TRUE(ReadLines(m_TpTrace).empty());
  EXPECT_FALSE(IsLoaded(library));
}

TEST_F(EntryDiscoveryTest, AFileThatCannotBeExaminedIsLeftToTheLoaderOnlyWhenExplained) {
  std::string library = m_Dir.path() + "/libgone.so";
  PluginEntry gone = Entry("gone", library, 1);
  std::string said;
  EntryDiscovery found = DiscoverQuietly(gone, &said);
  EXPECT_EQ(found.kind, EntryDiscovery::kUnexamined);
  EXPECT_EQ(found.trust.file, library);
  EXPECT_EQ(found.trust.reason, strerror(ENOENT));
  EXPECT_EQ(found.why, "") << "the program asks the loader nothing";
  EXPECT_EQ(said, "");
  EntryDiscovery explained = DiscoverEntryExplained(m_Root.c_str(), gone);
  EXPECT_EQ(explained.kind, EntryDiscovery::kNotBound);
  EXPECT_EQ(explained.trust.kind, TrustFinding::kMissing);
  EXPECT_EQ(explained.why.rfind(library + ": ", 0), 0u) << explained.why;
}

TEST_F(EntryDiscoveryTest, TheProgramNamesOnlyTheUntrustedEntryAndGoesOn) {
  std::string library = OpenLibrary();
  Entry("open", library, 1);
  Entry("gone", m_Dir.path() + "/libgone.so", 1);
  Entry("even", library, 2);
  Entry("sim", FPX_SIMULATOR_SO, 1);
  testing::internal::CaptureStderr();
  UnitSequence units = EnumerateUnitsAt(m_Root.c_str());
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said, std::string(program_invocation_short_name) + ": " + library +
                      ": writable by group or others (mode 0777), plug-in entry skipped\n");
  ASSERT_EQ(units.size(), 2u);
  EXPECT_EQ(DiscoveredUnitId(*units[0]), 7u);
  EXPECT_EQ(DiscoveredUnitId(*units[1]), 2u);
}

TEST_F(EntryDiscoveryTest, UnitsKeepTheirLibraryLoadedAndTellTheirIds) {
  EntryDiscovery found = DiscoverEntry(m_Root.c_str(), Entry("plain", FPXTEST_PLAIN_SO, 1));
  ASSERT_EQ(found.kind, EntryDiscovery::kUnits);
  ASSERT_EQ(found.units.size(), 3u);
  EXPECT_EQ(DiscoveredUnitId(*found.units[0]), 7u);
  EXPECT_EQ(DiscoveredUnitId(*found.units[1]), 2u);
  EXPECT_EQ(DiscoveredUnitId(*found.units[2]), 5u);
  EXPECT_TRUE(IsLoaded(FPXTEST_PLAIN_SO));
  found.units.clear();
  EXPECT_FALSE(IsLoaded(FPXTEST_PLAIN_SO));
}

TEST_F(EntryDiscoveryTest, APlugInWithoutUnitsIsUnloadedBeforeItsOutcomeIsHandedBack) {
  PluginEntry sim = Entry("sim", FPX_SIMULATOR_SO, 1);
  {
    ScopedEnv none("VELMORA_SIM_UNITS", "none");
    EntryDiscovery found = DiscoverEntry(m_Root.c_str(), sim);
    EXPECT_EQ(found.kind, EntryDiscovery::kNoUnits);
    EXPECT_FALSE(IsLoaded(FPX_SIMULATOR_SO));
  }
  {
    ScopedEnv fail("VELMORA_SIM_FAIL", "enum");
    EntryDiscovery found = DiscoverEntry(m_Root.c_str(), sim);
    EXPECT_EQ(found.kind, EntryDiscovery::kEnumFailed);
    EXPECT_FALSE(IsLoaded(FPX_SIMULATOR_SO));
  }
  EntryDiscovery found = DiscoverEntry(m_Root.c_str(), Entry("nofree", FPXTEST_NO_FREE_SO, 1));
  EXPECT_EQ(found.kind, EntryDiscovery::kNotBound);
  EXPECT_EQ(ReadLines(m_TpTrace), (std::vector<std::string>{"nofree load", "nofree unload"}));
}

}  // namespace
