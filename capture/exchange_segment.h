// Finding and attaching the parent's segment. The program never creates or removes it.
#ifndef VELMORA_CAPTURE_EXCHANGE_SEGMENT_H_
#define VELMORA_CAPTURE_EXCHANGE_SEGMENT_H_

struct CaptureExchange;

// Looks the segment up by key, 284 bytes, permissions 0666, no creation flag. Gives the segment
// id, or -1 with errno set (no such segment, or one smaller than the record).
int ExchangeLookup(int key);

// How far the segment's origin can be trusted with a fingerprint sample. The key is fixed, so any
// local user could create the segment before the parent and so receive the next sample.
enum class SegmentTrust {
  kTrusted,  // created by root or the real user, and closed to other users
  kOpen,     // created by root or the real user, but group or others may read or write it
  kForeign,  // created by another user: must not be used
  kUnknown,  // its status cannot be read (errno set)
};

// Reads the segment's creator and mode.
SegmentTrust ExchangeTrust(int shmid);

// Attaches the segment read-write at an address of the system's choosing. Gives null with errno
// set on failure. The segment stays attached until the process exits.
CaptureExchange* ExchangeAttach(int shmid);

#endif  // VELMORA_CAPTURE_EXCHANGE_SEGMENT_H_
