#include "capture/parent_record.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "capture/exchange_segment.h"

RecordCreation ParentRecordCreate(int key, ParentRecord* held) {
  int shmid = ExchangeCreate(key, kParentRecordMode);
  if (shmid < 0 && errno == EEXIST) return RecordCreation::kExists;
  if (shmid < 0) {
    perror("shmget");
    return RecordCreation::kFailed;
  }
  return ParentRecordHold(shmid, held) ? RecordCreation::kCreated : RecordCreation::kFailed;
}

bool ParentRecordHold(int shmid, ParentRecord* held) {
  CaptureExchange* record = ExchangeAttach(shmid);
  if (record == nullptr) {
    perror("shmat");
    ExchangeRemove(shmid);
    return false;
  }
  memset(record, 0, kExchangeSize);
  held->shmid = shmid;
  held->record = record;
  return true;
}

ExchangeRequest ParentRequest(const std::vector<FingerNumber>& fingers) {
  ExchangeRequest request = {};
  request.count = fingers.size() < kExchangeMaxEnrolled ? fingers.size() : kExchangeMaxEnrolled;
  request.enrollmentSize = request.count;
  if (request.count > 0) memcpy(request.enrolled, fingers.data(), request.count);
  return request;
}

void ParentRecordRelease(ParentRecord* held) {
  if (held->record != nullptr) {
    memset(held->record, 0, kExchangeSize);
    ExchangeDetach(held->record);
    held->record = nullptr;
  }
  if (held->shmid >= 0 && ExchangeRemove(held->shmid) != 0) perror("shmctl");
  held->shmid = -1;
}
