// The output of velmora-test-parent, which the end-to-end tests parse, checked on real runs inside
// a private IPC namespace (unshare --ipc) with fake-capture as the program.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "capture/capture_exchange.h"
#include "tests/programs/program_args.h"
#include "tests/support/command_run.h"

using namespace velmora::test;  // the shared test support

namespace {

// velmora-test-parent with `args`, in an IPC namespace of its own.
CommandRun Parent(std::vector<std::string> args, ErrorStream error = ErrorStream::kInherited) {
  args.insert(args.begin(), {"unshare", "--ipc", TEST_PARENT});
  return RunProgram(args, error);
}

std::string Hex(const CaptureExchange& record) {
  std::string hex;
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&record);
  for (size_t i = 0; i < sizeof record; ++i) {
    char pair[3];
    snprintf(pair, sizeof pair, "%02x", bytes[i]);
    hex += pair;
  }
  return hex;
}

TEST(TestParent, PrintsStatusAndTheWholeRecordLast) {
  CommandRun run = Parent({"--fill-byte", "aa", "--enrolled", "0b,03", "--sample-size", "77", "--",
                           FAKE_CAPTURE, "--sample", "abc", "--finger", "3", "--units", "2"});
  CaptureExchange expected;
  memset(&expected, 0xAA, sizeof expected);
  expected.enrollmentSize = 2;
  expected.enrolled[0] = 0x0B;
  expected.enrolled[1] = 0x03;
  memcpy(expected.sample, "abc", 4);
  expected.SampleSize = 3;
  expected.selected = 3;
  expected.UnitCount = 2;
  expected.bIsScanDone = 1;
  expected.doneCompanion = 0;
  EXPECT_EQ(run.status, 0);
  std::string last = " enrollmentSize 2 enrolled 0b03\nexit 0\nrecord " + Hex(expected) + "\n";
  EXPECT_TRUE(run.out.ends_with(last)) << run.out;
}

TEST(TestParent, RecordHexIsTakenAsGivenAndSignalsAreReported) {
  std::string record;
  for (size_t i = 0; i < kExchangeSize; ++i)
    record += "0123456789abcdef"[i % 16], record += "fedcba9876543210"[i % 16];
  CommandRun given = Parent({"--record-hex", record, "--", "/bin/true"});
  EXPECT_EQ(given.out, "exit 0\nrecord " + record + "\n");
  CommandRun hung = Parent({"--timeout", "1", "--", FAKE_CAPTURE, "--mode", "hang"});
  EXPECT_EQ(hung.status, 0);
  EXPECT_NE(hung.out.find("\nsignal 9\nrecord "), std::string::npos) << hung.out;
}

TEST(TestParent, OwnFailuresExitOne) {
  CommandRun nested = Parent({"--", TEST_PARENT, "--", "/bin/true"}, ErrorStream::kDiscarded);
  EXPECT_EQ(nested.out.rfind("exit 1\nrecord ", 0), 0u) << "the inner parent finds the segment:\n"
                                                        << nested.out;
  struct Case {
    std::vector<std::string> args;
    const char* what;
  } cases[] = {{{"--record-hex", "00", "--", "/bin/true"}, "short record"},
               {{"--", "/nonexistent/program"}, "missing program"}};
  for (const Case& c : cases) {
    CommandRun run = Parent(c.args, ErrorStream::kDiscarded);
    EXPECT_EQ(run.status, 1) << c.what;
    EXPECT_EQ(run.out, "") << c.what;
  }
}

TEST(ProgramArgs, HexBytesAreStrict) {
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ParseHexBytes("0b,03,FF", &bytes));
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0x0B, 0x03, 0xFF}));
  ASSERT_TRUE(ParseHexBytes("0b03", &bytes));
  EXPECT_EQ(bytes.size(), 2u);
  for (const char* bad : {"0", "0b,", ",0b", "0b,,03", "0g", "0b 03"})
    EXPECT_FALSE(ParseHexBytes(bad, &bytes)) << bad;
  long value = 0;
  EXPECT_FALSE(ParseInt("12x", 0, 100, &value));
  EXPECT_FALSE(ParseInt("101", 0, 100, &value));
  EXPECT_TRUE(ParseInt("-5", -10, 0, &value));
  EXPECT_EQ(value, -5);
}

}  // namespace
