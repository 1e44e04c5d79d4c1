#include "tools/capture_host/host_result.h"

#include <gtest/gtest.h>
#include <string.h>

namespace {

ChildEnd Exited(int status) {
  ChildEnd end;
  end.exited = true;
  end.exitStatus = status;
  return end;
}

CaptureExchange Record(const char* sample, int32_t size, FingerNumber finger, int32_t units, bool done) {
  CaptureExchange record;
  memset(&record, 0, sizeof record);
  strcpy(reinterpret_cast<char*>(record.sample), sample);
  record.SampleSize = size;
  record.selected = finger;
  record.UnitCount = units;
  record.bIsScanDone = done ? 1 : 0;
  return record;
}

TEST(HostExitStatus, TellsSampleNoSampleAndUnfinished) {
  EXPECT_EQ(HostExitStatus(Exited(0), Record("ab", 2, 7, 1, true)), kHostSample);
  EXPECT_EQ(HostExitStatus(Exited(0), Record("", 0, 0, 1, true)), kHostSample)
      << "an empty sample is a sample";
  EXPECT_EQ(HostExitStatus(Exited(0), Record("", 0, 0, 0, true)), kHostNoSample);
  EXPECT_EQ(HostExitStatus(Exited(0), Record("ab", 2, 7, 1, false)), kHostNotFinished) << "exited early";
  EXPECT_EQ(HostExitStatus(Exited(1), Record("", 0, 0, 0, true)), kHostNotFinished);

  ChildEnd crashed;
  crashed.signal = 11;
  EXPECT_EQ(HostExitStatus(crashed, Record("ab", 2, 7, 1, true)), kHostNotFinished);
  ChildEnd late = Exited(0);
  late.timedOut = true;
  EXPECT_EQ(HostExitStatus(late, Record("ab", 2, 7, 1, true)), kHostNotFinished);
}

TEST(SampleHex, StopsAtTheTerminatorOrTheArea) {
  CaptureExchange record = Record("\x01\xAB\x7F", 3, 0, 1, true);
  record.sample[4] = 0x55;
  EXPECT_EQ(SampleHex(record), "01ab7f");
  memset(record.sample, 0xFF, sizeof record.sample);
  EXPECT_EQ(SampleHex(record).size(), 512u);
}

TEST(FormatSummary, NamesTheFingerAndHowTheProgramEnded) {
  EXPECT_EQ(FormatSummary(Exited(0), Record("hi", 2, 7, 1, true)),
            "program: exited with status 0\ndone: yes\nsample_size: 2\nsample: 6869\n"
            "finger: 7 (Left index finger)\nunits: 1\n");
  ChildEnd killed;
  killed.signal = 9;
  killed.timedOut = true;
  EXPECT_EQ(FormatSummary(killed, Record("", 0, 0, 0, false)),
            "program: killed after the timeout\ndone: no\nsample: none\n");
  EXPECT_NE(FormatSummary(Exited(0), Record("x", 1, 0, 1, true)).find("finger: 0 (none)"), std::string::npos);
}

TEST(FormatJson, OneObjectWithNullsWhereNothingApplies) {
  EXPECT_EQ(FormatJson(Exited(0), Record("hi", 2, 1, 3, true)),
            "{\"exit_status\":0,\"signal\":null,\"timed_out\":false,\"done\":true,\"sample_size\":2,"
            "\"sample\":\"6869\",\"finger\":1,\"finger_name\":\"Right thumb\",\"units\":3}\n");
  ChildEnd crashed;
  crashed.signal = 6;
  EXPECT_EQ(FormatJson(crashed, Record("", -5, 12, 0, false)),
            "{\"exit_status\":null,\"signal\":6,\"timed_out\":false,\"done\":false,\"sample_size\":-5,"
            "\"sample\":\"\",\"finger\":12,\"finger_name\":null,\"units\":0}\n");
}

}  // namespace
