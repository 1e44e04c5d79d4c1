#include "tools/capture_host/host_segment.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "capture/exchange_segment.h"

namespace {

// Closed to group and others, so that the program trusts the record with a sample.
constexpr int kHostSegmentMode = 0600;

}  // namespace

int HostSegmentCreate(int key, HostSegment* segment) {
  int shmid = ExchangeCreate(key, kHostSegmentMode);
  if (shmid < 0 && errno == EEXIST) return kSegmentExists;
  if (shmid < 0) {
    perror("shmget");
    return kSegmentFailed;
  }
  CaptureExchange* record = ExchangeAttach(shmid);
  if (record == nullptr) {
    perror("shmat");
    ExchangeRemove(shmid);
    return kSegmentFailed;
  }
  segment->shmid = shmid;
  segment->record = record;
  memset(segment->record, 0, kExchangeSize);
  return kSegmentCreated;
}

void HostWriteRequest(CaptureExchange* record, const std::vector<FingerNumber>& fingers) {
  ExchangeRequest request = {};
  request.count = fingers.size() < kExchangeMaxEnrolled ? fingers.size() : kExchangeMaxEnrolled;
  request.enrollmentSize = request.count;
  if (request.count > 0) memcpy(request.enrolled, fingers.data(), request.count);
  ExchangeWriteRequest(record, request);
}

void HostSegmentRelease(HostSegment* segment) {
  if (segment->record != nullptr) {
    memset(segment->record, 0, kExchangeSize);
    ExchangeDetach(segment->record);
    segment->record = nullptr;
  }
  if (segment->shmid >= 0 && ExchangeRemove(segment->shmid) != 0) perror("shmctl");
  segment->shmid = -1;
}
