// Finding and attaching the parent's segment. The program never creates or removes it.
#ifndef VELMORA_CAPTURE_EXCHANGE_SEGMENT_H_
#define VELMORA_CAPTURE_EXCHANGE_SEGMENT_H_

struct CaptureExchange;

// Looks the segment up by key, 284 bytes, permissions 0666, no creation flag. Gives the segment
// id, or -1 with errno set (no such segment, or one smaller than the record).
int ExchangeLookup(int key);

// Attaches the segment read-write at an address of the system's choosing. Gives null with errno
// set on failure. The segment stays attached until the process exits.
CaptureExchange* ExchangeAttach(int shmid);

#endif  // VELMORA_CAPTURE_EXCHANGE_SEGMENT_H_
