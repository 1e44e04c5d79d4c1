#include "capture/capture_worker.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <future>
#include <string>

#include "capture/capture_state.h"
#include "tests/support/catalogue_root.h"
#include "tests/support/scoped_temp_dir.h"
#include "units/unit_list.h"

using namespace velmora::test;  // the shared test support

namespace {

// A configuration root whose one entry is the simulated reader, removed afterwards.
class SimulatorRoot {
 public:
  SimulatorRoot() : m_Root(MakeRoot(m_Dir.path())) { WriteEntry(m_Root, "simulator", FPX_SIMULATOR_SO, 1); }
  const char* path() const { return m_Root.c_str(); }

 private:
  ScopedTempDir m_Dir;
  std::string m_Root;
};

// The simulator reads its settings at each call; each test sets the ones it needs.
class WorkerTest : public testing::Test {
 protected:
  void SetUp() override {
    setenv("VELMORA_SIM_DELAY_MS", "0", 1);
    setenv("VELMORA_SIM_SAMPLE", "simulated-sample", 1);
    unsetenv("VELMORA_SIM_FAIL");
    unsetenv("VELMORA_SIM_UNITS");
    m_Units = EnumerateUnitsAt(m_Root.path());
    ASSERT_EQ(m_Units.size(), 1u);
  }
  void TearDown() override { unsetenv("VELMORA_SIM_FAIL"); }

  // Runs one capture on the simulated unit with `failures`, gives its log.
  std::string Capture(const char* failures, bool* disconnected) {
    if (failures) setenv("VELMORA_SIM_FAIL", failures, 1);
    s_FailureReports = 0;
    testing::internal::CaptureStdout();
    *disconnected = CaptureOnUnit(m_Units[0].get(), &m_State, NoteFailure);
    return testing::internal::GetCapturedStdout();
  }

  static void NoteFailure() { ++s_FailureReports; }
  static int s_FailureReports;

  SimulatorRoot m_Root;
  UnitSequence m_Units;
  CaptureState m_State;
};

int WorkerTest::s_FailureReports = 0;

std::string SampleText(const CaptureState& state) {
  unsigned char* sample = nullptr;
  int32_t size = 0;
  state.GetSample(&sample, &size);
  return sample ? std::string(reinterpret_cast<char*>(sample), size) : "<none>";
}

}  // namespace

TEST_F(WorkerTest, CleanCapturePublishesTheSample) {
  bool disconnected = false;
  EXPECT_EQ(Capture(nullptr, &disconnected),
            "Connect succeeded\nCapturing...\nCapture succeeded\nDisconnect Succeeded\n");
  EXPECT_TRUE(disconnected);
  EXPECT_EQ(SampleText(m_State), "simulated-sample");
  EXPECT_EQ(s_FailureReports, 0);
}

TEST_F(WorkerTest, FailedConnectIsSilentAndTheCaptureGoesOn) {
  bool disconnected = false;
  EXPECT_EQ(Capture("connect", &disconnected), "Capturing...\nCapture succeeded\nDisconnect Succeeded\n");
  EXPECT_TRUE(disconnected);
  EXPECT_EQ(SampleText(m_State), "simulated-sample");
}

// The simulated unit leaves a sample behind even when it reports failure; it must not reach the
// parent as a captured one.
TEST_F(WorkerTest, FailedCapturePublishesNothingAndStillDisconnects) {
  bool disconnected = false;
  EXPECT_EQ(Capture("capture", &disconnected),
            "Connect succeeded\nCapturing...\nFailed: Capture\nDisconnect Succeeded\n");
  EXPECT_TRUE(disconnected);
  EXPECT_EQ(SampleText(m_State), "<none>");
  EXPECT_EQ(s_FailureReports, 1);  // the window says so while it is still up
}

TEST_F(WorkerTest, FailedDisconnectKeepsTheLoopRunning) {
  bool disconnected = true;
  EXPECT_EQ(Capture("disconnect", &disconnected),
            "Connect succeeded\nCapturing...\nCapture succeeded\nFailed: Disconnect\n");
  EXPECT_FALSE(disconnected);
}

namespace {

std::promise<void>* g_LoopEnded = nullptr;
void NoteLoopEnd() { g_LoopEnded->set_value(); }

}  // namespace

// The whole worker on UnitList: it publishes into the process-wide state, asks for the loop's
// end once, and CaptureWorkerSettle() waits for its last line.
TEST_F(WorkerTest, WorkerThreadEndsTheLoopAfterACleanDisconnect) {
  InstallUnitList(m_Units);
  static std::promise<void> loopEnded;
  g_LoopEnded = &loopEnded;
  testing::internal::CaptureStdout();
  ASSERT_EQ(StartCaptureWorker(1, {NoteLoopEnd, nullptr}), 0);
  loopEnded.get_future().wait();
  EXPECT_TRUE(CaptureWorkerSettle());
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Connect succeeded\nCapturing...\nCapture succeeded\nDisconnect Succeeded\n"
            "CaptureSampleThread END\n");
  EXPECT_EQ(SampleText(TheCaptureState()), "simulated-sample");
  InstallUnitList({});
}
