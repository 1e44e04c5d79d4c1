// velmora-units as installers run it: the built binary over a temporary root.
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/stat.h>

#include <string>

#include "tests/support/catalogue_root.h"
#include "tests/support/command_run.h"
#include "tests/support/loaded_library.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scoped_temp_dir.h"

using namespace velmora::test;  // the shared test support

namespace {

CommandRun RunLister(const std::string& root) {
  return RunCommand(std::string(VELMORA_UNITS_BIN) + " --root '" + root + "'");
}

// The lines of `out` that follow the heading of entry `name`, up to the next entry.
std::string EntryBlock(const std::string& out, const std::string& name) {
  size_t start = out.find("entry \"" + name + "\"");
  if (start == std::string::npos) return "";
  size_t end = out.find("\nentry ", start);
  if (end == std::string::npos) end = out.rfind("\n", out.rfind(" units found"));
  return out.substr(start, end + 1 - start);
}

class VelmoraUnitsTest : public ::testing::Test {
 protected:
  VelmoraUnitsTest()
      : m_Root(MakeRoot(m_Dir.path())),
        m_Units("VELMORA_SIM_UNITS", "7,2"),
        m_Fail("VELMORA_SIM_FAIL", nullptr),
        m_Trace("VELMORA_SIM_TRACE", nullptr) {}

  ScopedTempDir m_Dir;
  std::string m_Root;
  ScopedEnv m_Units;
  ScopedEnv m_Fail;
  ScopedEnv m_Trace;
};

TEST_F(VelmoraUnitsTest, ListsUnitsAndTheReasonForEachSkippedEntry) {
  WriteEntry(m_Root, "sim", FPX_SIMULATOR_SO, 1);
  WriteEntry(m_Root, "even", FPX_SIMULATOR_SO, 2);
  WriteEntry(m_Root, "missing", m_Dir.path() + "/libmissing.so", 1);
  WriteEntry(m_Root, "nofree", FPXTEST_NO_FREE_SO, 1);
  WriteEntry(m_Root, "badinfo", FPXTEST_B_GETINFO_FAILS_SO, 1);
  CommandRun run = RunLister(m_Root);
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(EntryBlock(run.out, "sim"),
            "entry \"sim\": library \"" FPX_SIMULATOR_SO
            "\", type 1\n"
            "  unit 7: \"Velmora simulated reader\", \"SIM-0007\", values 1 500 256 360\n"
            "  unit 2: \"Velmora simulated reader\", \"SIM-0002\", values 1 500 256 360\n");
  EXPECT_NE(EntryBlock(run.out, "even").find("  skipped: type bit 0 is clear\n"), std::string::npos)
      << run.out;
  // The loader's own message names the file.
  EXPECT_NE(EntryBlock(run.out, "missing").find("  skipped: " + m_Dir.path() + "/libmissing.so: cannot open"),
            std::string::npos)
      << run.out;
  EXPECT_NE(EntryBlock(run.out, "nofree").find("  skipped: entry points not found: FpxFree\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(EntryBlock(run.out, "badinfo").find("  skipped: FpxGetInfo failed"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("catalogue " + m_Root + ": 5 entries\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\n2 units found\n"), std::string::npos) << run.out;
}

TEST_F(VelmoraUnitsTest, NoUnitsGiveStatusOne) {
  WriteEntry(m_Root, "sim", FPX_SIMULATOR_SO, 1);
  {
    ScopedEnv none("VELMORA_SIM_UNITS", "none");
    CommandRun run = RunLister(m_Root);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("  skipped: no units\n"), std::string::npos) << run.out;
  }
  ScopedEnv fail("VELMORA_SIM_FAIL", "enum");
  CommandRun run = RunLister(m_Root);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("  skipped: FpxEnumUnits failed\n"), std::string::npos) << run.out;
}

#ifdef FPX_FPRINT_SO  // a build with the libfprint plug-in
// libfprint's virtual reader that compares prints inside itself, as a match-on-chip reader does:
// no unit, and the plug-in's own line, which goes to standard error, stands inside the entry's block.
TEST_F(VelmoraUnitsTest, TheFprintEntryNamesAReaderWithoutImagesAndPointsToTheFprintdEntry) {
  ScopedEnv drivers("FP_DRIVERS_WHITELIST", "virtual_device_storage");
  ScopedEnv socket("FP_VIRTUAL_DEVICE_STORAGE", m_Dir.Path("storage.sock").c_str());
  ScopedEnv debug("G_MESSAGES_DEBUG", nullptr);
  WriteEntry(m_Root, "fprint", FPX_FPRINT_SO, 1);
  CommandRun run = RunCommand(std::string(VELMORA_UNITS_BIN) + " --root '" + m_Root + "' 2>&1");
  EXPECT_EQ(run.status, 1) << run.out;
  EXPECT_EQ(EntryBlock(run.out, "fprint"),
            "entry \"fprint\": library \"" FPX_FPRINT_SO
            "\", type 1\n"
            "velmora fprint: Virtual device with storage and identification for debugging "
            "(virtual_device_storage) compares prints inside the reader and gives no image; use the fprintd "
            "entry\n"
            "  skipped: no units\n")
      << run.out;
}
#endif

TEST_F(VelmoraUnitsTest, UnusableRootIsNamedAsSuch) {
  CommandRun run = RunLister(m_Dir.path() + "/nothing");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "catalogue " + m_Dir.path() +
                         "/nothing: not a configuration root (a folder holding a readable file \"conf\")\n"
                         "0 units found\n");
}

TEST_F(VelmoraUnitsTest, EntriesThatAreNoCatalogueEntriesAreShownWithTheReason) {
  WriteEntry(m_Root, "sim", FPX_SIMULATOR_SO, 1);
  WriteFile(m_Root + "/noblank", "Name:" FPX_SIMULATOR_SO "\nType: 1\n");
  WriteFile(m_Root + "/notype", "Name: " FPX_SIMULATOR_SO "\n");
  ASSERT_EQ(mkdir((m_Root + "/emptydir").c_str(), 0755), 0);
  CommandRun run = RunLister(m_Root);
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("catalogue " + m_Root + ": 1 entries\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("entry \"noblank\": not a catalogue entry\n  skipped: no line \"Name: <library>\""),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("entry \"notype\": not a catalogue entry\n  skipped: no line \"Type: <number>\""),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("entry \"emptydir\": not a catalogue entry\n  skipped: cannot be read"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("entry \"sim\": not a catalogue entry"), std::string::npos) << run.out;
}

}  // namespace
