#include "capture/capture_exchange.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

namespace {

// A record as a parent might leave it: every byte set, so that untouched bytes show.
CaptureExchange FilledRecord(unsigned char fill) {
  CaptureExchange record;
  memset(&record, fill, sizeof record);
  return record;
}

const unsigned char* Bytes(const char* text) { return reinterpret_cast<const unsigned char*>(text); }

TEST(ExchangeReadRequest, CopiesListAndReservedByte) {
  CaptureExchange record = FilledRecord(0xEE);
  record.enrollmentSize = 3;
  const FingerNumber list[] = {7, 2, 1};
  memcpy(record.enrolled, list, sizeof list);
  record.reserved = 0x5A;
  ExchangeRequest request = ExchangeReadRequest(&record);
  EXPECT_EQ(request.enrollmentSize, 3);
  ASSERT_EQ(request.count, 3);
  EXPECT_EQ(memcmp(request.enrolled, list, sizeof list), 0);
  EXPECT_EQ(request.enrolled[3], 0) << "entries past the count are not the parent's";
  EXPECT_EQ(request.reserved, 0x5A);
}

TEST(ExchangeReadRequest, ClampsSizeOutsideTheList) {
  CaptureExchange record = FilledRecord(0x0B);
  record.enrollmentSize = -4;
  ExchangeRequest below = ExchangeReadRequest(&record);
  EXPECT_EQ(below.enrollmentSize, -4);
  EXPECT_EQ(below.count, 0);
  EXPECT_EQ(below.enrolled[0], 0);

  record.enrollmentSize = 11;
  ExchangeRequest above = ExchangeReadRequest(&record);
  EXPECT_EQ(above.enrollmentSize, 11);
  EXPECT_EQ(above.count, 10);
  EXPECT_EQ(above.enrolled[9], 0x0B);
  EXPECT_EQ(above.reserved, 0x0B);
}

TEST(ExchangeWriteRequest, WritesTheRequestAndNothingElse) {
  CaptureExchange record = FilledRecord(0xEE);
  CaptureExchange before = record;
  ExchangeWriteRequest(&record, ExchangeRequest{3, 3, {7, 2, 1}, 0x5A});
  ExchangeRequest read = ExchangeReadRequest(&record);
  EXPECT_EQ(read.enrollmentSize, 3);
  ASSERT_EQ(read.count, 3);
  EXPECT_EQ(read.enrolled[0], 7);
  EXPECT_EQ(read.enrolled[2], 1);
  EXPECT_EQ(read.reserved, 0x5A);
  EXPECT_EQ(record.enrolled[3], 0xEE) << "entries past the count keep their contents";
  EXPECT_EQ(memcmp(&record, &before, 260), 0);
  EXPECT_EQ(memcmp(&record.selected, &before.selected, kExchangeSize - 275), 0);
}

// A parent that tests the program may send any size; the list still holds ten entries at most.
TEST(ExchangeWriteRequest, SizeIsWrittenAsGivenAndTheListClamped) {
  CaptureExchange record = FilledRecord(0x0B);
  ExchangeRequest request = {-3, 99, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 0x22};
  ExchangeWriteRequest(&record, request);
  EXPECT_EQ(record.enrollmentSize, -3);
  EXPECT_EQ(record.enrolled[9], 10);
  EXPECT_EQ(record.reserved, 0x22) << "the list must not spill into the reserved byte";
  EXPECT_EQ(record.selected, 0x0B);

  request = {12, -1, {4}, 0x33};
  ExchangeWriteRequest(&record, request);
  EXPECT_EQ(record.enrollmentSize, 12);
  EXPECT_EQ(record.enrolled[0], 1) << "a negative count writes no entry";
  EXPECT_EQ(record.reserved, 0x33);
}

TEST(ExchangeWriteResult, ShortSampleKeepsBytesAfterTerminator) {
  CaptureExchange record = FilledRecord(0xAA);
  ExchangeWriteResult(&record, Bytes("abc"), 100, 7, 2);
  EXPECT_STREQ(reinterpret_cast<char*>(record.sample), "abc");
  EXPECT_EQ(record.sample[4], 0xAA);
  EXPECT_EQ(record.sample[255], 0xAA);
  EXPECT_EQ(record.SampleSize, 100) << "the unit's length, not the string's";
  EXPECT_EQ(record.selected, 7);
  EXPECT_EQ(record.UnitCount, 2);
  EXPECT_EQ(record.enrollmentSize, static_cast<int32_t>(0xAAAAAAAA));
  EXPECT_EQ(record.reserved, 0xAA);
  EXPECT_EQ(record.bIsScanDone, 0xAA) << "done is marked separately";
  EXPECT_EQ(record.gap[0], 0xAA);
}

TEST(ExchangeWriteResult, LongSampleIsCutToTheArea) {
  CaptureExchange record = FilledRecord(0x11);
  std::string sample(300, 'x');
  ExchangeWriteResult(&record, Bytes(sample.c_str()), 300, 1, 1);
  EXPECT_EQ(strnlen(reinterpret_cast<char*>(record.sample), sizeof record.sample), 255u);
  EXPECT_EQ(record.sample[254], 'x');
  EXPECT_EQ(record.sample[255], 0);
  EXPECT_EQ(record.SampleSize, 300);
  EXPECT_EQ(record.enrollmentSize, 0x11111111) << "the cut sample must not spill";

  std::string exact(255, 'y');
  ExchangeWriteResult(&record, Bytes(exact.c_str()), 255, 1, 1);
  EXPECT_EQ(record.sample[254], 'y');
  EXPECT_EQ(record.sample[255], 0);
}

TEST(ExchangeMarkDone, SetsBothBytesAndNothingElse) {
  CaptureExchange record = FilledRecord(0xFF);
  CaptureExchange before = record;
  ExchangeMarkDone(&record);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&record);
  const unsigned char* old = reinterpret_cast<const unsigned char*>(&before);
  EXPECT_EQ(bytes[276], 1);
  EXPECT_EQ(bytes[277], 0);
  EXPECT_EQ(memcmp(bytes, old, 276), 0);
  EXPECT_EQ(memcmp(bytes + 278, old + 278, kExchangeSize - 278), 0);
}

}  // namespace
