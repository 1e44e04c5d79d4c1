// The output of velmora-test-parent, which the end-to-end tests parse, checked on real runs inside
// a private IPC namespace (unshare --ipc) with fake-capture as the program.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "capture/capture_exchange.h"
#include "tests/programs/program_args.h"
#include "tests/support/command_run.h"

using namespace velmora::test;  // the shared test support

namespace {

CommandRun InNamespace(const std::string& script) {
  return RunCommand(std::string("unshare --ipc sh -c 'PARENT=") + TEST_PARENT + "; FAKE=" + FAKE_CAPTURE +
                    "; " + script + "'");
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
  CommandRun run = InNamespace(
      "$PARENT --fill-byte aa --enrolled 0b,03 --sample-size 77 -- $FAKE --sample abc --finger 3 --units 2; "
      "echo parent $?");
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
  EXPECT_NE(run.out.find(" enrollmentSize 2 enrolled 0b03\nexit 0\nrecord " + Hex(expected) + "\nparent 0\n"),
            std::string::npos)
      << run.out;
}

TEST(TestParent, RecordHexIsTakenAsGivenAndSignalsAreReported) {
  std::string record;
  for (size_t i = 0; i < kExchangeSize; ++i)
    record += "0123456789abcdef"[i % 16], record += "fedcba9876543210"[i % 16];
  CommandRun run = InNamespace("$PARENT --record-hex " + record +
                               " -- /bin/true; $PARENT --timeout 1 -- $FAKE --mode hang");
  EXPECT_NE(run.out.find("exit 0\nrecord " + record + "\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\nsignal 9\nrecord "), std::string::npos) << run.out;
}

TEST(TestParent, OwnFailuresExitOne) {
  CommandRun run = InNamespace(
      "$PARENT -- $PARENT -- /bin/true 2>/dev/null; echo parent $?; "
      "$PARENT --record-hex 00 -- /bin/true 2>/dev/null; echo short $?; "
      "$PARENT -- /nonexistent/program 2>/dev/null; echo missing $?");
  EXPECT_NE(run.out.find("exit 1\nrecord "), std::string::npos) << "the inner parent finds the segment:\n"
                                                                << run.out;
  EXPECT_NE(run.out.find("short 1\nmissing 1\n"), std::string::npos) << run.out;
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
