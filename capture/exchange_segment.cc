#include "capture/exchange_segment.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include "capture/capture_exchange.h"

int ExchangeLookup(int key) { return shmget(key, kExchangeSize, 0666); }

CaptureExchange* ExchangeAttach(int shmid) {
  void* address = shmat(shmid, nullptr, 0);
  if (address == reinterpret_cast<void*>(-1)) return nullptr;
  return static_cast<CaptureExchange*>(address);
}
