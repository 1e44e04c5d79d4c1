#include "capture/sample_dump.h"

#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>

#include "capture/capture_exchange.h"

namespace {

CaptureExchange RecordWithSize(int32_t sampleSize) {
  CaptureExchange record;
  memset(&record, 0, sizeof record);
  for (int i = 0; i < kExchangeSampleArea; ++i) record.sample[i] = static_cast<unsigned char>(i);
  record.SampleSize = sampleSize;
  return record;
}

size_t Count(const std::string& text, char c) { return std::count(text.begin(), text.end(), c); }

}  // namespace

TEST(SampleDumpTest, SixteenBytesAreOneLineWithoutAnEmptyLine) {
  CaptureExchange record = RecordWithSize(16);
  EXPECT_EQ(FormatSampleDump(&record), " 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\n");
}

TEST(SampleDumpTest, SeventeenBytesBreakAfterTheSixteenth) {
  CaptureExchange record = RecordWithSize(17);
  EXPECT_EQ(FormatSampleDump(&record), " 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\n 10\n");
}

TEST(SampleDumpTest, ZeroAndNegativeSizesDumpNoByte) {
  CaptureExchange zero = RecordWithSize(0);
  EXPECT_EQ(FormatSampleDump(&zero), "\n");
  CaptureExchange negative = RecordWithSize(-5);
  EXPECT_EQ(FormatSampleDump(&negative), "\n");
}

TEST(SampleDumpTest, ALargerSizeStopsAtTheEndOfTheRecord) {
  CaptureExchange record = RecordWithSize(100000);
  std::string dump = FormatSampleDump(&record);
  EXPECT_EQ(dump.size(), 284 * 3 + 18);  // 17 full lines, one of 12 items, each ending in "\n"
  EXPECT_EQ(Count(dump, '\n'), 18u);
  // The last four bytes are UnitCount, zero here; the size itself stands at offset 256.
  EXPECT_EQ(dump.substr(dump.size() - 13), " 00 00 00 00\n");
  EXPECT_NE(dump.find("\n A0 86 01 00"), std::string::npos);  // 100000 at offsets 256-259
}
