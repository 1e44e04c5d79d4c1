#include "tools/plugin_check/capture_sequence_check.h"

#include <gtest/gtest.h>

#include <string>

namespace {

CaptureSequenceSeen WithSample(const std::string& bytes, int32_t sampleSize) {
  CaptureSequenceSeen seen;
  seen.sample = CopySample(reinterpret_cast<const unsigned char*>(bytes.c_str()), sampleSize);
  return seen;
}

// The sample's text must end within the record's 256 bytes, whatever size the plug-in reports.
TEST(CaptureSequenceJudgeTest, SampleTexts) {
  struct Case {
    std::string bytes;
    int32_t sampleSize;
    CheckResult result;
    const char* detail;
  };
  const Case kCases[] = {
      {"ABC", 3, CheckResult::kPass, "sample of 3 bytes: \"ABC\""},
      {"ABC", 7, CheckResult::kWarn, "SampleSize 7, but the parent's record receives 3 bytes"},
      {std::string(255, 'a'), 255, CheckResult::kPass, "sample of 255 bytes"},
      {std::string(256, 'a'), 256, CheckResult::kFail,
       "no NUL byte within the sample's first 256 bytes: the parent's record receives the first 255 of its "
       "256"},
      {std::string(600, 'a'), 600, CheckResult::kFail, "no NUL byte within the sample's first 256 bytes: "},
      {std::string(300, 'a'), 64, CheckResult::kFail,
       "no NUL byte within the sample's first 256 bytes, and SampleSize is 64: the program reads 255 bytes"},
  };
  for (const Case& c : kCases) {
    CheckVerdict verdict = JudgeCaptureSequence(WithSample(c.bytes, c.sampleSize));
    EXPECT_EQ(verdict.result, c.result) << c.bytes.size() << ": " << verdict.detail;
    EXPECT_EQ(verdict.detail.rfind(c.detail, 0), 0u) << verdict.detail;
  }
}

// Each call's failure is judged by what the program does with it.
TEST(CaptureSequenceJudgeTest, CallResults) {
  struct Case {
    int32_t connected, captured, disconnected;
    bool sample;
    CheckResult result;
    const char* detail;
  };
  const Case kCases[] = {
      {0, 0, 0, true, CheckResult::kPass, "sample of 2 bytes"},
      {5, 0, 0, true, CheckResult::kWarn, "FpxConnect returned 5: the program captures all the same"},
      {0, 3, 0, false, CheckResult::kFail, "FpxSensorCaptureSample returned 3 (expected 0)"},
      {0, 0, 0, false, CheckResult::kFail, "FpxSensorCaptureSample returned 0 but no sample"},
      {0, 0, 9, true, CheckResult::kFail, "FpxDisconnect returned 9 (expected 0)"},
  };
  for (const Case& c : kCases) {
    CaptureSequenceSeen seen = c.sample ? WithSample("OK", 2) : CaptureSequenceSeen();
    seen.connected = c.connected;
    seen.captured = c.captured;
    seen.disconnected = c.disconnected;
    CheckVerdict verdict = JudgeCaptureSequence(seen);
    EXPECT_EQ(verdict.result, c.result) << verdict.detail;
    EXPECT_EQ(verdict.detail.rfind(c.detail, 0), 0u) << verdict.detail;
  }
}

}  // namespace
