#include "capture/exchange_segment.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include "capture/capture_exchange.h"

int ExchangeLookup(int key) { return shmget(key, kExchangeSize, 0666); }

SegmentTrust ExchangeTrust(int shmid) {
  struct shmid_ds status;
  if (shmctl(shmid, IPC_STAT, &status) != 0) return SegmentTrust::kUnknown;
  // The creator counts, not the owner: the creator may hand the segment to another owner.
  if (status.shm_perm.cuid != 0 && status.shm_perm.cuid != getuid()) return SegmentTrust::kForeign;
  return (status.shm_perm.mode & 0066) ? SegmentTrust::kOpen : SegmentTrust::kTrusted;
}

CaptureExchange* ExchangeAttach(int shmid) {
  void* address = shmat(shmid, nullptr, 0);
  if (address == reinterpret_cast<void*>(-1)) return nullptr;
  return static_cast<CaptureExchange*>(address);
}

int ExchangeCreate(int key, int mode) { return shmget(key, kExchangeSize, IPC_CREAT | IPC_EXCL | mode); }

int ExchangeDetach(CaptureExchange* record) { return shmdt(record); }

int ExchangeRemove(int shmid) { return shmctl(shmid, IPC_RMID, nullptr); }
