// The simulated reader's behaviour that the program's own tests rely on.
#include <gtest/gtest.h>
#include <string.h>

#include <atomic>
#include <thread>

#include "tests/support/catalogue_root.h"
#include "tests/support/loaded_library.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scoped_temp_dir.h"
#include "units/plugin_binding.h"

using namespace velmora::test;  // the shared test support

namespace {

class SimulatorTest : public ::testing::Test {
 protected:
  SimulatorTest()
      : m_Trace(m_Dir.path() + "/sim.trace"),
        m_TraceEnv("VELMORA_SIM_TRACE", m_Trace.c_str()),
        m_Delay("VELMORA_SIM_DELAY_MS", "0"),
        m_Fail("VELMORA_SIM_FAIL", nullptr),
        m_Sample("VELMORA_SIM_SAMPLE", nullptr),
        m_Size("VELMORA_SIM_SIZE", nullptr),
        m_Sim(BindPlugin(FPX_SIMULATOR_SO)) {}

  void SetUp() override { ASSERT_NE(m_Sim, nullptr); }

  int32_t Capture(uint32_t unit, unsigned char** sample, int32_t* size) {
    int32_t reserved = -1;
    return m_Sim->FpxSensorCaptureSample(unit, 2, 1, sample, size, &reserved);
  }

  // Waits, without a deadline, until the trace holds `line`: the capture has entered the plug-in.
  void AwaitTraceLine(const std::string& line) {
    for (;;) {
      Lines lines = ReadLines(m_Trace);
      if (std::find(lines.begin(), lines.end(), line) != lines.end()) return;
      std::this_thread::yield();
    }
  }

  ScopedTempDir m_Dir;
  std::string m_Trace;
  ScopedEnv m_TraceEnv;
  ScopedEnv m_Delay;
  ScopedEnv m_Fail;
  ScopedEnv m_Sample;
  ScopedEnv m_Size;
  std::shared_ptr<PluginParams> m_Sim;
};

TEST_F(SimulatorTest, CapturesTheDefaultSampleAndKeepsItUntilUnload) {
  unsigned char* sample = nullptr;
  int32_t size = 0;
  EXPECT_EQ(m_Sim->FpxConnect(1, 0, 0, 0), 0);
  ASSERT_EQ(Capture(1, &sample, &size), 0);
  EXPECT_EQ(m_Sim->FpxDisconnect(1), 0);
  ASSERT_EQ(size, 32);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(sample), 32), "VelmoraSimulatedFingerprint-0001");
  EXPECT_EQ(ReadLines(m_Trace),
            (Lines{"load", "FpxConnect 1 0 0 0", "FpxSensorCaptureSample 1 2 1", "FpxDisconnect 1"}));
  m_Sim.reset();
  EXPECT_EQ(ReadLines(m_Trace).back(), "unload");
}

TEST_F(SimulatorTest, SampleTextAndReportedSizeFollowTheEnvironment) {
  ScopedEnv text("VELMORA_SIM_SAMPLE", "abc");
  unsigned char* sample = nullptr;
  int32_t size = 0;
  ASSERT_EQ(Capture(1, &sample, &size), 0);
  EXPECT_EQ(size, 3);
  EXPECT_STREQ(reinterpret_cast<char*>(sample), "abc");
  {
    ScopedEnv negative("VELMORA_SIM_SIZE", "-5");
    ASSERT_EQ(Capture(1, &sample, &size), 0);
    EXPECT_EQ(size, -5);
  }
  ScopedEnv larger("VELMORA_SIM_SIZE", "300");
  ASSERT_EQ(Capture(1, &sample, &size), 0);
  ASSERT_EQ(size, 300);
  // The buffer is backed up to the reported size, padded with zero bytes.
  EXPECT_EQ(memcmp(sample, "abc", 3), 0);
  EXPECT_EQ(sample[299], 0);
}

TEST_F(SimulatorTest, FailingCaptureStillLeavesASample) {
  ScopedEnv fail("VELMORA_SIM_FAIL", "connect,capture");
  unsigned char* sample = nullptr;
  int32_t size = 0;
  EXPECT_NE(m_Sim->FpxConnect(1, 0, 0, 0), 0);
  EXPECT_NE(Capture(1, &sample, &size), 0);
  EXPECT_NE(sample, nullptr);
  EXPECT_EQ(size, 32);
  EXPECT_EQ(m_Sim->FpxDisconnect(1), 0);
}

TEST_F(SimulatorTest, FailPointsFailOnlyTheirEntryPoint) {
  ScopedEnv fail("VELMORA_SIM_FAIL", "getinfo,disconnect");
  UnitInfo info;
  EXPECT_NE(m_Sim->FpxGetInfo(1, &info), 0);
  EXPECT_NE(m_Sim->FpxDisconnect(1), 0);
  EXPECT_EQ(m_Sim->FpxConnect(1, 0, 0, 0), 0);
  uint32_t* ids = nullptr;
  uint32_t count = 0;
  EXPECT_EQ(m_Sim->FpxEnumUnits(&ids, &count), 0);
  EXPECT_EQ(m_Sim->FpxFree(ids), 0);
  EXPECT_NE(m_Sim->FpxFree(&count), 0);  // memory it never handed out is left alone
  EXPECT_EQ(ReadLines(m_Trace).back(), "FpxFree unknown");
}

TEST_F(SimulatorTest, UnitListSkipsWhatIsNoId) {
  ScopedEnv units("VELMORA_SIM_UNITS", "7,x,,4294967295,-1,2");
  uint32_t* ids = nullptr;
  uint32_t count = 0;
  ASSERT_EQ(m_Sim->FpxEnumUnits(&ids, &count), 0);
  ASSERT_EQ(count, 3u);
  EXPECT_EQ(ids[0], 7u);
  EXPECT_EQ(ids[1], 4294967295u);
  EXPECT_EQ(ids[2], 2u);
  m_Sim->FpxFree(ids);
}

TEST_F(SimulatorTest, CancelAndDisconnectEndACaptureFromAnotherThread) {
  ScopedEnv forever("VELMORA_SIM_DELAY_MS", "600000");
  for (bool disconnect : {false, true}) {
    SCOPED_TRACE(disconnect ? "disconnect" : "cancel");
    WriteFile(m_Trace, "");
    unsigned char* sample = nullptr;
    int32_t size = 0;
    int32_t result = 0;
    std::atomic<bool> done(false);
    std::thread worker([&] {
      result = Capture(3, &sample, &size);
      done = true;
    });
    AwaitTraceLine("FpxSensorCaptureSample 3 2 1");
    // The call may come before the capture waits; a cancel then finds nothing to end, so repeat.
    while (!done) {
      disconnect ? m_Sim->FpxDisconnect(3) : m_Sim->FpxCancel(3);
      std::this_thread::yield();
    }
    worker.join();
    EXPECT_NE(result, 0);
    EXPECT_EQ(sample, nullptr);
  }
}

TEST_F(SimulatorTest, CaptureAfterDisconnectEndsAtOnceUntilTheNextConnect) {
  ScopedEnv forever("VELMORA_SIM_DELAY_MS", "600000");
  unsigned char* sample = nullptr;
  int32_t size = 0;
  EXPECT_EQ(m_Sim->FpxDisconnect(4), 0);
  EXPECT_NE(Capture(4, &sample, &size), 0);
  ScopedEnv quick("VELMORA_SIM_DELAY_MS", "0");
  EXPECT_EQ(m_Sim->FpxConnect(4, 0, 0, 0), 0);
  EXPECT_EQ(Capture(4, &sample, &size), 0);
}

}  // namespace

namespace {

TEST_F(SimulatorTest, UninterruptibleCaptureIgnoresADisconnect) {
  ScopedEnv stubborn("VELMORA_SIM_UNINTERRUPTIBLE", "1");
  ScopedEnv shortDelay("VELMORA_SIM_DELAY_MS", "20");
  unsigned char* sample = nullptr;
  int32_t size = 0;
  EXPECT_EQ(m_Sim->FpxDisconnect(5), 0);
  EXPECT_EQ(Capture(5, &sample, &size), 0);
  EXPECT_NE(sample, nullptr);
}

}  // namespace
