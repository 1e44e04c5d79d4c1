// What the parent believes of its child's pipe, and the verdict it judges from the pipe and the
// child's end: the plug-in in the child can write anything into the pipe.
#include "tools/plugin_check/child_report.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdint.h>

#include <string>

namespace {

std::string Raw(char kind, uint32_t length, const std::string& payload) {
  std::string message(1, kind);
  message.append(reinterpret_cast<const char*>(&length), sizeof length);
  return message + payload;
}

std::string Verdict(CheckResult result, const std::string& detail) {
  CheckVerdict verdict;
  verdict.Add(result, detail);
  return VerdictMessage(verdict);
}

ChildEnd Exited(int status) {
  ChildEnd end;
  end.exited = true;
  end.exitStatus = status;
  return end;
}

ChildEnd Killed(int signal, bool timedOut) {
  ChildEnd end;
  end.signal = signal;
  end.timedOut = timedOut;
  return end;
}

const std::string kNotItsOwn = ": the plug-in writes to a descriptor that is not its own";

TEST(ChildReport, RefusesWhatTheCheckersOwnCodeNeverWrites) {
  struct Case {
    std::string bytes;
    std::string refusal;
  };
  const Case kCases[] = {
      {Raw('X', 1, "x"), "the check's pipe carried a message of the kind byte 88"},
      {Raw('S', kMaxPayload + 1, ""), "the check's pipe carried a message of 65537 bytes, more than 65536"},
      {Raw('V', 3, "O0x"), "the check's pipe carried a verdict with the result byte 79"},
      {Raw('V', 3, "/0x"), "the check's pipe carried a verdict with the result byte 47"},
      {Raw('V', 3, "40x"), "the check's pipe carried a verdict with the result byte 52"},
      {Raw('V', 3, "32x"), "the check's pipe carried a verdict with the unopenable byte 50"},
      {Raw('V', 1, "3"), "the check's pipe carried a verdict shorter than 2 bytes"},
  };
  for (const Case& c : kCases) {
    ChildReport report;
    report.Take(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(report.Refusal(), c.refusal + kNotItsOwn);
    // Nothing after it is believed, not even a well-formed verdict.
    std::string verdict = Verdict(CheckResult::kPass, "");
    EXPECT_EQ(report.Take(verdict.data(), verdict.size()), 0u);
    EXPECT_FALSE(report.HasVerdict());
  }
}

TEST(ChildReport, TakesMessagesInAnyPiecesAndOnlyAVerdictThatCameLast) {
  std::string sent = StepMessage("first") + Verdict(CheckResult::kPass, "early") + StepMessage("second");
  ChildReport report;
  size_t messages = 0;
  for (char byte : sent) messages += report.Take(&byte, 1);
  EXPECT_EQ(messages, 3u);
  EXPECT_FALSE(report.HasVerdict()) << "a step came after the verdict";
  EXPECT_EQ(report.During(), " during second");

  std::string last = Verdict(CheckResult::kWarn, "late") + Verdict(CheckResult::kSkip, "last");
  EXPECT_EQ(report.Take(last.data(), last.size()), 2u);
  ASSERT_TRUE(report.HasVerdict());
  EXPECT_EQ(report.Verdict().result, CheckResult::kSkip);
  EXPECT_EQ(report.Verdict().detail, "last");
}

TEST(ChildReport, CutsWhatTheCheckSendsAndRefusesAFlood) {
  std::string detail(2 * kMaxPayload, 'd');
  std::string verdict = Verdict(CheckResult::kFail, detail);
  ChildReport report;
  EXPECT_EQ(report.Take(verdict.data(), verdict.size()), 1u);
  EXPECT_EQ(report.Verdict().detail, detail.substr(0, kMaxPayload - 2));

  std::string step = StepMessage(std::string(kMaxPayload, 's'));
  size_t sent = verdict.size();
  for (; sent + step.size() <= kMaxReportBytes; sent += step.size()) report.Take(step.data(), step.size());
  EXPECT_EQ(report.Refusal(), "") << sent << " bytes are no flood yet";
  report.Take(step.data(), step.size());
  EXPECT_EQ(report.Refusal(), "the check's pipe carried more than 64 MiB" + kNotItsOwn);
}

TEST(JudgeChild, BelievesAVerdictOnlyWhenItCameLastAndTheChildExitedCleanly) {
  struct Case {
    std::string sent;
    ChildEnd end;
    std::string judged;
  };
  const std::string step = StepMessage("FpxFree(NULL)");
  const std::string pass = Verdict(CheckResult::kPass, "fine");
  const Case kCases[] = {
      {step + pass, Exited(0), "pass: fine"},
      {step + pass, Killed(SIGSEGV, false),
       "fail: killed by signal 11 (Segmentation fault) during FpxFree(NULL)"},
      {step + pass, Exited(66), "fail: ended with status 66 after its verdict during FpxFree(NULL)"},
      {pass + step, Exited(0), "fail: ended with status 0 without a verdict during FpxFree(NULL)"},
      {step + pass, Killed(SIGKILL, true), "fail: no answer in 7 s during FpxFree(NULL)"},
      {step + Raw('V', 2, "O0"), Exited(0),
       "fail: the check's pipe carried a verdict with the result byte 79" + kNotItsOwn +
           " during FpxFree(NULL)"},
  };
  for (const Case& c : kCases) {
    ChildReport report;
    report.Take(c.sent.data(), c.sent.size());
    CheckVerdict judged = JudgeChild(report, c.end, 7);
    EXPECT_EQ(std::string(CheckResultName(judged.result)) + ": " + judged.detail, c.judged);
  }
}

}  // namespace
