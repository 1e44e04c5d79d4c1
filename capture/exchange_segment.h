// The exchange segment's system calls. The program looks the parent's segment up, judges its
// origin and attaches it; it never creates, detaches or removes it. Whatever plays the parent
// holds it through parent_record.h, which makes the calls at the end of this file.
//
// Thread rules: any thread; each call is one system call and keeps no state of its own.
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

// The parent's side. Creates a new segment of 284 bytes under key with IPC_CREAT | IPC_EXCL and
// the permission bits mode (0 to 0777, the parent's choice). Gives the segment id, or -1 with
// errno set; EEXIST when a segment with the key exists already, which is left alone.
int ExchangeCreate(int key, int mode);

// Detaches a record that ExchangeAttach gave. Gives 0, or -1 with errno set.
int ExchangeDetach(CaptureExchange* record);

// Removes the segment: its key is free at once, and the memory goes when the last process that
// has it attached detaches or exits. Gives 0, or -1 with errno set (no such segment, or the caller
// is neither its creator, its owner nor privileged).
int ExchangeRemove(int shmid);

#endif  // VELMORA_CAPTURE_EXCHANGE_SEGMENT_H_
