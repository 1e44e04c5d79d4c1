// The parent's hold on the record: the segment it created under the key and its attachment.
// Whatever plays the parent (velmora-capture-host, velmora-test-parent, the start-up benchmark)
// creates the record here, writes the request, runs the program, reads the result and releases
// the record; the program itself only looks the segment up (exchange_segment.h).
//
// Thread rules: one thread per ParentRecord; the calls keep no state besides the ParentRecord.
#ifndef VELMORA_CAPTURE_PARENT_RECORD_H_
#define VELMORA_CAPTURE_PARENT_RECORD_H_

#include <vector>

#include "capture/capture_exchange.h"

struct ParentRecord {
  int shmid = -1;                     // the segment, owned: removed by ParentRecordRelease
  CaptureExchange* record = nullptr;  // attached read-write while the segment is held
};

// Closed to group and others, so that the program trusts the record with a sample.
constexpr int kParentRecordMode = 0600;

enum class RecordCreation {
  kCreated,  // held, zeroed
  kExists,   // a segment with the key exists already: another capture may run; left alone
  kFailed,   // the failing call and its error are on standard error; nothing left behind
};

// Creates a new segment of kExchangeSize bytes under key (IPC_CREAT | IPC_EXCL,
// kParentRecordMode), attaches it and zeroes it.
RecordCreation ParentRecordCreate(int key, ParentRecord* held);

// Attaches the segment shmid, which the caller created, and zeroes it. Gives false after printing
// "shmat" and its error on standard error, with the segment removed; *held is then untouched.
bool ParentRecordHold(int shmid, ParentRecord* held);

// The request for the fingers in order: at most kExchangeMaxEnrolled of them, reserved byte 0.
ExchangeRequest ParentRequest(const std::vector<FingerNumber>& fingers);

// Zeroes the record, so that no sample lingers in memory, then detaches and removes the segment
// (a failing removal is printed as "shmctl" on standard error). Does nothing for a record that
// is not held; afterwards it is not.
void ParentRecordRelease(ParentRecord* held);

#endif  // VELMORA_CAPTURE_PARENT_RECORD_H_
