// The host's side of the exchange segment: it creates the segment as the parent does, writes the
// request and, after the run, wipes and removes it.
//
// Thread rules: main thread only.
#ifndef VELMORA_TOOLS_CAPTURE_HOST_HOST_SEGMENT_H_
#define VELMORA_TOOLS_CAPTURE_HOST_HOST_SEGMENT_H_

#include <vector>

#include "capture/capture_exchange.h"

struct HostSegment {
  int shmid = -1;
  CaptureExchange* record = nullptr;  // attached read-write while the segment is held
};

constexpr int kSegmentCreated = 0;
constexpr int kSegmentExists = 1;
constexpr int kSegmentFailed = -1;

// Creates a new segment of 284 bytes under key (IPC_CREAT | IPC_EXCL, mode 0600), attaches it and
// zeroes it. Gives kSegmentCreated; kSegmentExists when a segment with the key exists already,
// which is left alone; kSegmentFailed after printing the failing call and its error on stderr,
// with nothing left behind.
int HostSegmentCreate(int key, HostSegment* segment);

// Writes the request: enrollmentSize and the enrolled list (at most 10 fingers), reserved byte 0.
void HostWriteRequest(CaptureExchange* record, const std::vector<FingerNumber>& fingers);

// Zeroes the record, so that no sample lingers in memory, then detaches and removes the segment.
// Does nothing for a segment that is not held.
void HostSegmentRelease(HostSegment* segment);

#endif  // VELMORA_TOOLS_CAPTURE_HOST_HOST_SEGMENT_H_
