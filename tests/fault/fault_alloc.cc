// The plan of an injection and the record of the blocks allocated under it.
#include "tests/fault/fault_alloc.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "tests/fault/fault_alloc_state.h"

namespace velmora::fault {
namespace {

bool g_armed;
bool g_recording;
bool g_counting;
bool g_struck;
FaultMode g_mode;
size_t g_failAt;    // the allocation, counted from 1, that fails first
size_t g_failSize;  // with no injection armed: allocations of this size fail; 0 for none
size_t g_count;

// The recorded blocks: an open-addressing set of addresses, 0 for a free slot. It allocates
// nothing, so that it can sit below malloc.
constexpr int kSlotBits = 16;
constexpr size_t kSlots = size_t{1} << kSlotBits;
uintptr_t g_slots[kSlots];
size_t g_live;

size_t Home(uintptr_t block) {
  return static_cast<size_t>(((block >> 4) * 0x9E3779B97F4A7C15u) >> (64 - kSlotBits));
}
size_t Next(size_t slot) { return (slot + 1) & (kSlots - 1); }

void Insert(uintptr_t block) {
  if (g_live + 1 == kSlots) {
    fputs("fault_alloc: too many live blocks to record\n", stderr);
    abort();
  }
  size_t slot = Home(block);
  while (g_slots[slot] != 0 && g_slots[slot] != block) slot = Next(slot);
  if (g_slots[slot] == 0) ++g_live;
  g_slots[slot] = block;
}

// Linear probing with backward-shift removal: the blocks behind a removed one move up so that
// every block stays reachable from its home slot.
bool Erase(uintptr_t block) {
  size_t slot = Home(block);
  while (g_slots[slot] != block) {
    if (g_slots[slot] == 0) return false;
    slot = Next(slot);
  }
  g_slots[slot] = 0;
  --g_live;
  for (size_t hole = slot, next = Next(slot); g_slots[next] != 0; next = Next(next)) {
    size_t home = Home(g_slots[next]);
    bool stays = hole <= next ? (home > hole && home <= next) : (home > hole || home <= next);
    if (stays) continue;
    g_slots[hole] = g_slots[next];
    g_slots[next] = 0;
    hole = next;
  }
  return true;
}

void ClearRecord() {
  for (uintptr_t& slot : g_slots) slot = 0;
  g_live = 0;
}

}  // namespace

namespace internal {

bool Admit(size_t size) {
  if (g_armed) {
    ++g_count;
    bool fails = g_count == g_failAt || (g_mode == FaultMode::kFromThenOn && g_count > g_failAt);
    g_struck = g_struck || fails;
    return !fails;
  }
  if (g_counting) ++g_count;
  return g_failSize == 0 || size != g_failSize;
}

void Record(void* block) {
  if (g_recording && block != nullptr) Insert(reinterpret_cast<uintptr_t>(block));
}

void Forget(void* block) {
  if (g_live != 0 && block != nullptr) Erase(reinterpret_cast<uintptr_t>(block));
}

void Moved(void* from, void* to) {
  bool recorded = g_live != 0 && from != nullptr && Erase(reinterpret_cast<uintptr_t>(from));
  if ((recorded || g_recording) && to != nullptr) Insert(reinterpret_cast<uintptr_t>(to));
}

}  // namespace internal

AllocationFault::AllocationFault(size_t nth, FaultMode mode) {
  if (g_armed) {
    fputs("fault_alloc: one injection at a time\n", stderr);
    abort();
  }
  ClearRecord();
  g_mode = mode;
  g_failAt = nth;
  g_count = 0;
  g_struck = false;
  g_recording = true;
  g_armed = true;
}

AllocationFault::~AllocationFault() { Stop(); }

bool AllocationFault::Stop() {
  if (!m_Stopped) {
    g_armed = false;
    g_recording = false;
    m_Struck = g_struck;
    m_Stopped = true;
  }
  return m_Struck;
}

size_t AllocationFault::LiveBlocks() const { return g_live; }

size_t AllocationFault::Counted() const { return g_count; }

void CountAllocations(bool counting) {
  if (counting) g_count = 0;
  g_counting = counting;
}

size_t AllocationsCounted() { return g_count; }

void FailAllocationsOfSize(size_t size) { g_failSize = size; }

}  // namespace velmora::fault
