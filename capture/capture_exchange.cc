#include "capture/capture_exchange.h"

#include <string.h>

namespace {

int32_t ClampEnrolled(int32_t enrollmentSize) {
  if (enrollmentSize < 0) return 0;
  if (enrollmentSize > kExchangeMaxEnrolled) return kExchangeMaxEnrolled;
  return enrollmentSize;
}

// The area holds 255 bytes and a terminator; a longer sample is cut rather than spilling into
// SampleSize and the request that follow it.
void CopySample(unsigned char* area, const unsigned char* sample) {
  size_t length = strnlen(reinterpret_cast<const char*>(sample), kExchangeSampleArea - 1);
  memcpy(area, sample, length);
  area[length] = '\0';
}

}  // namespace

ExchangeRequest ExchangeReadRequest(const CaptureExchange* record) {
  ExchangeRequest request = {};
  request.enrollmentSize = record->enrollmentSize;
  request.count = ClampEnrolled(request.enrollmentSize);
  memcpy(request.enrolled, record->enrolled, request.count);
  request.reserved = record->reserved;
  return request;
}

void ExchangeWriteRequest(CaptureExchange* record, const ExchangeRequest& request) {
  record->enrollmentSize = request.enrollmentSize;
  memcpy(record->enrolled, request.enrolled, ClampEnrolled(request.count));
  record->reserved = request.reserved;
}

void ExchangeWriteResult(CaptureExchange* record, const unsigned char* sample, int32_t sampleSize,
                         FingerNumber selected, int32_t unitCount) {
  CopySample(record->sample, sample);
  record->SampleSize = sampleSize;
  record->selected = selected;
  record->UnitCount = unitCount;
}

void ExchangeMarkDone(CaptureExchange* record) {
  // The done flag and its companion byte form one 16-bit word for the parent: both change in one
  // store, never one without the other.
  const unsigned char done[2] = {1, 0};
  uint16_t word;
  memcpy(&word, done, sizeof word);
  memcpy(&record->bIsScanDone, &word, sizeof word);
}
