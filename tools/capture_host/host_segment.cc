#include "tools/capture_host/host_segment.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/ipc.h>
#include <sys/shm.h>

int HostSegmentCreate(int key, HostSegment* segment) {
  int shmid = shmget(key, kExchangeSize, IPC_CREAT | IPC_EXCL | 0600);
  if (shmid < 0 && errno == EEXIST) return kSegmentExists;
  if (shmid < 0) {
    perror("shmget");
    return kSegmentFailed;
  }
  void* address = shmat(shmid, nullptr, 0);
  if (address == reinterpret_cast<void*>(-1)) {
    perror("shmat");
    shmctl(shmid, IPC_RMID, nullptr);
    return kSegmentFailed;
  }
  segment->shmid = shmid;
  segment->record = static_cast<CaptureExchange*>(address);
  memset(segment->record, 0, kExchangeSize);
  return kSegmentCreated;
}

void HostWriteRequest(CaptureExchange* record, const std::vector<FingerNumber>& fingers) {
  size_t count = fingers.size() < kExchangeMaxEnrolled ? fingers.size() : kExchangeMaxEnrolled;
  record->enrollmentSize = static_cast<int32_t>(count);
  if (count > 0) memcpy(record->enrolled, fingers.data(), count);
}

void HostSegmentRelease(HostSegment* segment) {
  if (segment->record != nullptr) {
    memset(segment->record, 0, kExchangeSize);
    shmdt(segment->record);
    segment->record = nullptr;
  }
  if (segment->shmid >= 0 && shmctl(segment->shmid, IPC_RMID, nullptr) != 0) perror("shmctl");
  segment->shmid = -1;
}
