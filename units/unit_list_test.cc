#include "units/unit_list.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

#include "tests/support/catalogue_root.h"
#include "tests/support/forked_child.h"
#include "tests/support/loaded_library.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/traced_root.h"
#include "units/bio_unit_impl.h"

using namespace velmora::test;  // the shared test support

namespace {

class UnitListTest : public ::testing::Test, protected TracedRoot {
 protected:
  uint32_t IdOf(const std::shared_ptr<BioUnit>& unit) { return dynamic_cast<BioUnitImpl&>(*unit).UnitId(); }
};

TEST_F(UnitListTest, UnitsFollowThePluginsIdOrderAndFreeEachTextAtOnce) {
  ScopedEnv units("VELMORA_SIM_UNITS", "7,2,5");
  WriteEntry(m_Root, "sim", FPX_SIMULATOR_SO, 1);
  UnitSequence found = EnumerateUnitsAt(m_Root.c_str());
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(IdOf(found[0]), 7u);
  EXPECT_EQ(IdOf(found[1]), 2u);
  EXPECT_EQ(IdOf(found[2]), 5u);
  EXPECT_EQ(found[0]->GetText1(), "Velmora simulated reader");
  EXPECT_EQ(found[0]->GetText2(), "SIM-0007");
  EXPECT_EQ(found[2]->GetValue2(), 500);
  EXPECT_EQ(ReadLines(m_SimTrace),
            (Lines{"load", "FpxEnumUnits", "FpxGetInfo 7", "FpxFree text1 7", "FpxFree text2 7",
                   "FpxGetInfo 2", "FpxFree text1 2", "FpxFree text2 2", "FpxGetInfo 5", "FpxFree text1 5",
                   "FpxFree text2 5", "FpxFree ids"}));
  EXPECT_TRUE(IsLoaded(FPX_SIMULATOR_SO));
  found.clear();
  EXPECT_FALSE(IsLoaded(FPX_SIMULATOR_SO));
  EXPECT_EQ(ReadLines(m_SimTrace).back(), "unload");
}

TEST_F(UnitListTest, UnitsComeInCatalogueOrderAndReleaseLibrariesWithTheirLastUnit) {
  WriteEntriesInOrder(m_Root, {FPXTEST_A_SO, FPXTEST_B_SO});
  UnitSequence found = EnumerateUnitsAt(m_Root.c_str());
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0]->GetText1(), "a reader");
  EXPECT_EQ(IdOf(found[1]), 2u);
  EXPECT_EQ(found[2]->GetText1(), "b reader");
  found[0].reset();
  EXPECT_TRUE(IsLoaded(FPXTEST_A_SO));
  found[1].reset();
  EXPECT_FALSE(IsLoaded(FPXTEST_A_SO));
  EXPECT_TRUE(IsLoaded(FPXTEST_B_SO));
  found[2].reset();
  EXPECT_FALSE(IsLoaded(FPXTEST_B_SO));
}

TEST_F(UnitListTest, InstallingReplacesTheListAndReleasesTheOldOneInOrder) {
  WriteEntriesInOrder(m_Root, {FPXTEST_A_SO, FPXTEST_B_SO});
  InstallUnitList(EnumerateUnitsAt(m_Root.c_str()));
  EXPECT_EQ(UnitListCount(), 3);
  ASSERT_NE(UnitListFirst(), nullptr);
  EXPECT_EQ(UnitListFirst()->GetText1(), "a reader");
  InstallUnitList(UnitSequence());
  EXPECT_EQ(UnitListCount(), 0);
  EXPECT_EQ(UnitListFirst(), nullptr);
  Lines trace = ReadLines(m_TpTrace);
  ASSERT_GE(trace.size(), 2u);
  EXPECT_EQ(trace[trace.size() - 2], "a unload");
  EXPECT_EQ(trace.back(), "b unload");
}

TEST_F(UnitListTest, FailingDescriptionReleasesEverythingBeforeTheErrorLeaves) {
  WriteEntriesInOrder(m_Root, {FPXTEST_A_SO, FPXTEST_B_GETINFO_FAILS_SO});
  try {
    EnumerateUnitsAt(m_Root.c_str());
    FAIL() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "FpxGetInfo failed");
    EXPECT_FALSE(IsLoaded(FPXTEST_A_SO));
    EXPECT_FALSE(IsLoaded(FPXTEST_B_GETINFO_FAILS_SO));
  }
  Lines trace = ReadLines(m_TpTrace);
  EXPECT_NE(std::find(trace.begin(), trace.end(), "bfail FpxGetInfo 1"), trace.end());
  EXPECT_EQ(std::find(trace.begin(), trace.end(), "bfail FpxFree text1"), trace.end());
}

TEST_F(UnitListTest, PluginsWithoutUnitsAreUnloadedAtOnce) {
  WriteEntry(m_Root, "sim", FPX_SIMULATOR_SO, 1);
  {
    ScopedEnv none("VELMORA_SIM_UNITS", "none");
    EXPECT_TRUE(EnumerateUnitsAt(m_Root.c_str()).empty());
    EXPECT_EQ(ReadLines(m_SimTrace), (Lines{"load", "FpxEnumUnits", "FpxFree ids", "unload"}));
  }
  WriteFile(m_SimTrace, "");
  ScopedEnv fail("VELMORA_SIM_FAIL", "enum");
  EXPECT_TRUE(EnumerateUnitsAt(m_Root.c_str()).empty());
  // A failed enumeration hands nothing back.
  EXPECT_EQ(ReadLines(m_SimTrace), (Lines{"load", "FpxEnumUnits", "unload"}));
}

TEST_F(UnitListTest, CountWithoutIdListGivesNoUnit) {
  WriteEntry(m_Root, "nullids", FPXTEST_NULL_IDS_SO, 1);
  EXPECT_TRUE(EnumerateUnitsAt(m_Root.c_str()).empty());
  EXPECT_EQ(ReadLines(m_TpTrace),
            (Lines{"nullids load", "nullids FpxEnumUnits", "nullids FpxFree null", "nullids unload"}));
  EXPECT_FALSE(IsLoaded(FPXTEST_NULL_IDS_SO));
}

TEST_F(UnitListTest, EntriesWithoutTheBiometricBitAreNotLoaded) {
  WriteEntry(m_Root, "even", FPX_SIMULATOR_SO, 2);
  WriteEntry(m_Root, "missing", m_Dir.path() + "/libmissing.so", 1);
  WriteEntry(m_Root, "nofree", FPXTEST_NO_FREE_SO, 1);
  EXPECT_TRUE(EnumerateUnitsAt(m_Root.c_str()).empty());
  EXPECT_TRUE(ReadLines(m_SimTrace).empty());
  EXPECT_EQ(ReadLines(m_TpTrace), (Lines{"nofree load", "nofree unload"}));
}

TEST_F(UnitListTest, NullTextsGiveEmptyTextsAndOnlyTheIdListIsFreed) {
  WriteEntry(m_Root, "notexts", FPXTEST_NULL_TEXTS_SO, 1);
  UnitSequence found = EnumerateUnitsAt(m_Root.c_str());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0]->GetText1(), "");
  EXPECT_EQ(found[0]->GetText2(), "");
  EXPECT_EQ(ReadLines(m_TpTrace),
            (Lines{"notexts load", "notexts FpxEnumUnits", "notexts FpxGetInfo 4", "notexts FpxFree ids"}));
}

TEST_F(UnitListTest, UnitOperationsPassTheirArgumentsThrough) {
  WriteEntry(m_Root, "plain", FPXTEST_PLAIN_SO, 1);
  UnitSequence found = EnumerateUnitsAt(m_Root.c_str());
  ASSERT_EQ(found.size(), 3u);
  BioUnit& unit = *found[1];  // id 2
  EXPECT_EQ(unit.GetValue1(), 2);
  EXPECT_EQ(unit.GetValue2(), -1);
  EXPECT_EQ(unit.GetValue3(), 2147483647);
  EXPECT_EQ(unit.GetValue4(), -2147483647 - 1);
  EXPECT_EQ(unit.Connect(1, 2, 3), 1123);
  EXPECT_EQ(unit.Disconnect(), 102);
  EXPECT_EQ(unit.Cancel(), 202);
  unsigned char* sample = nullptr;
  int32_t size = 0;
  int32_t reserved = 0;
  EXPECT_EQ(unit.SensorCaptureSample(10, 20, &sample, &size, &reserved), 0);
  EXPECT_STREQ(reinterpret_cast<char*>(sample), "tp");
  EXPECT_EQ(size, 32);
  EXPECT_EQ(reserved, 5);
  EXPECT_EQ(unit.ExtractSample(1, 2, 3, 4, 5, 6, 7, 8), 200000000 + 1 + 4 + 12 + 32 + 80 + 192 + 448 + 1024);
  EXPECT_EQ(unit.Free(nullptr), 0);
  EXPECT_EQ(ReadLines(m_TpTrace).back(), "plain FpxFree null");
}

TEST_F(UnitListTest, OneLibraryNamedTwiceGivesItsUnitsTwice) {
  WriteEntry(m_Root, "one", FPXTEST_B_SO, 1);
  WriteEntry(m_Root, "two", FPXTEST_B_SO, 1);
  UnitSequence found = EnumerateUnitsAt(m_Root.c_str());
  ASSERT_EQ(found.size(), 2u);
  found.resize(1);
  EXPECT_TRUE(IsLoaded(FPXTEST_B_SO));
  found.clear();
  EXPECT_FALSE(IsLoaded(FPXTEST_B_SO));
}

// The busy plug-in's capture spins in its own code until the plug-in is disconnected. The units'
// way in may be closed by then, so the test disconnects through the library itself.
class BusyCapture {
 public:
  explicit BusyCapture(BioUnit& unit) : m_Thread([this, &unit] { Capture(unit); }) {}
  ~BusyCapture() { Stop(); }

  // Waits until the capture has been counted as running on `params`.
  static void AwaitRunning(const PluginParams& params) {
    while (params.calls.Running() == 0) std::this_thread::yield();
  }

  // Ends the spinning capture and waits for it; the status it returned.
  int32_t Stop() {
    if (!m_Thread.joinable()) return m_Result;
    void* handle = dlopen(FPXTEST_BUSY_SO, RTLD_NOW | RTLD_NOLOAD);
    if (handle) reinterpret_cast<FpxDisconnectFn>(dlsym(handle, "FpxDisconnect"))(0);
    m_Thread.join();
    if (handle) dlclose(handle);
    return m_Result;
  }

 private:
  void Capture(BioUnit& unit) {
    unsigned char* sample = nullptr;
    int32_t size = 0;
    int32_t scratch = 0;
    m_Result = unit.SensorCaptureSample(2, 1, &sample, &size, &scratch);
  }

  int32_t m_Result = 0;
  std::thread m_Thread;
};

const PluginParams& ParamsOf(const std::shared_ptr<BioUnit>& unit) {
  return *dynamic_cast<BioUnitImpl&>(*unit).Params();
}

bool Contains(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST_F(UnitListTest, ClosingAtExitUnloadsIdleLibrariesInTheOrderOfTheirLastUnits) {
  WriteEntriesInOrder(m_Root, {FPXTEST_A_SO, FPXTEST_B_SO});
  UnitSequence found = EnumerateUnitsAt(m_Root.c_str());
  ASSERT_EQ(found.size(), 3u);
  std::swap(found[1], found[2]);  // a1, b1, a2: b's last unit now comes before a's
  CloseUnitsAtExit(found);
  Lines trace = ReadLines(m_TpTrace);
  ASSERT_GE(trace.size(), 2u);
  EXPECT_EQ(trace[trace.size() - 2], "b unload");
  EXPECT_EQ(trace.back(), "a unload");
  EXPECT_FALSE(IsLoaded(FPXTEST_A_SO));
  EXPECT_FALSE(IsLoaded(FPXTEST_B_SO));
  // The units stay usable objects, and no call reaches the unloaded libraries.
  EXPECT_EQ(found[0]->GetText1(), "a reader");
  EXPECT_EQ(found[0]->Connect(1, 2, 3), kPluginClosedStatus);
  EXPECT_EQ(found[1]->Disconnect(), kPluginClosedStatus);
  EXPECT_EQ(ReadLines(m_TpTrace).size(), trace.size());
}

TEST_F(UnitListTest, ClosingAtExitKeepsALibraryInsideACallAndLetsNoNewCallIn) {
  WriteEntry(m_Root, "busy", FPXTEST_BUSY_SO, 1);
  UnitSequence found = EnumerateUnitsAt(m_Root.c_str());
  ASSERT_EQ(found.size(), 2u);
  BusyCapture capture(*found[0]);
  BusyCapture::AwaitRunning(ParamsOf(found[0]));
  CloseUnitsAtExit(found);
  EXPECT_TRUE(IsLoaded(FPXTEST_BUSY_SO));
  EXPECT_EQ(found[1]->Disconnect(), kPluginClosedStatus);
  EXPECT_EQ(capture.Stop(), 1);
  // The call that ran has left, and the library still stays for the rest of the process.
  EXPECT_EQ(found[0]->Connect(0, 0, 0), kPluginClosedStatus);
  EXPECT_TRUE(IsLoaded(FPXTEST_BUSY_SO));
  Lines trace = ReadLines(m_TpTrace);
  EXPECT_TRUE(Contains(trace, "busy FpxSensorCaptureSample 1"));
  EXPECT_FALSE(Contains(trace, "busy FpxDisconnect 2"));
  EXPECT_FALSE(Contains(trace, "busy FpxConnect 1"));
  EXPECT_FALSE(Contains(trace, "busy unload"));
}

// Runs `body` in a forked child that then calls exit(0); gives the child's wait status.
template <typename Body>
int ExitInChild(Body body) {
  fflush(stdout);  // the child's exit must not write the parent's buffered lines again
  pid_t child = fork();
  if (child == 0) {
    body();
    exit(0);
  }
  int status = -1;
  waitpid(child, &status, 0);
  return status;
}

TEST_F(UnitListTest, AtProcessExitEachLibraryIsUnloadedWithItsLastUnit) {
  WriteEntriesInOrder(m_Root, {FPXTEST_A_SO, FPXTEST_B_SO});
  int status = ExitInChild([&] { InstallUnitList(EnumerateUnitsAt(m_Root.c_str())); });
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  Lines trace = ReadLines(m_TpTrace);
  ASSERT_GE(trace.size(), 2u);
  EXPECT_EQ(trace[trace.size() - 2], "a unload");
  EXPECT_EQ(trace.back(), "b unload");
}

TEST_F(UnitListTest, AProcessThatExitsDuringABusyCaptureEndsCleanly) {
  WriteEntry(m_Root, "busy", FPXTEST_BUSY_SO, 1);
  int status = ExitInChild([&] {
    InstallUnitList(EnumerateUnitsAt(m_Root.c_str()));
    if (UnitListCount() != 2) _exit(3);
    std::thread([] {
      unsigned char* sample = nullptr;
      int32_t size = 0, scratch = 0;
      UnitListFirst()->SensorCaptureSample(2, 1, &sample, &size, &scratch);
    }).detach();
    BusyCapture::AwaitRunning(ParamsOf(UnitList.front()));
  });
  EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// A process that exits, with any status, while a capture waits inside a C++ plug-in ends with that
// status at once. Run first, the plug-in's static destructors would block for good on the waiter.
TEST_F(UnitListTest, AnExitDuringACaptureSparesThePluginsDestructorsAndKeepsItsStatus) {
  WriteEntry(m_Root, "waiting", FPXTEST_WAITING_SO, 1);
  for (int exitStatus : {0, 1, 42}) {
    int status = RunInChild([&] {
      InstallUnitList(EnumerateUnitsAt(m_Root.c_str()));
      void* library = dlopen(FPXTEST_WAITING_SO, RTLD_NOW | RTLD_NOLOAD);
      auto isWaiting = reinterpret_cast<bool (*)()>(library ? dlsym(library, "TpIsWaiting") : nullptr);
      if (UnitListCount() != 1 || isWaiting == nullptr) return 100;
      std::thread([] {
        unsigned char* sample = nullptr;
        int32_t size = 0, scratch = 0;
        UnitListFirst()->SensorCaptureSample(2, 1, &sample, &size, &scratch);
      }).detach();
      while (!isWaiting()) std::this_thread::yield();
      exit(exitStatus);
    });
    EXPECT_EQ(status, exitStatus) << "-1: killed by a signal or hung at exit";
  }
}

}  // namespace
