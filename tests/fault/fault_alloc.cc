// The plan of an injection and the record of the blocks allocated under it.
#include "tests/fault/fault_alloc.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "tests/fault/fault_alloc_state.h"

namespace velmora::fault {
namespace {

bool g_Armed;
bool g_Recording;
bool g_Counting;
bool g_Struck;
FaultMode g_Mode;
size_t g_FailAt;    // the allocation, counted from 1, that fails first
size_t g_FailSize;  // with no injection armed: allocations of this size fail; 0 for none
size_t g_Count;

// The recorded blocks: an open-addressing set of addresses, 0 for a free slot. It allocates
// nothing, so that it can sit below malloc.
constexpr int kSlotBits = 16;
constexpr size_t kSlots = size_t{1} << kSlotBits;
uintptr_t g_Slots[kSlots];
size_t g_Live;

size_t Home(uintptr_t block) {
  return static_cast<size_t>(((block >> 4) * 0x9E3779B97F4A7C15u) >> (64 - kSlotBits));
}
size_t Next(size_t slot) { return (slot + 1) & (kSlots - 1); }

void Insert(uintptr_t block) {
  if (g_Live + 1 == kSlots) {
    fputs("fault_alloc: too many live blocks to record\n", stderr);
    abort();
  }
  size_t slot = Home(block);
  while (g_Slots[slot] != 0 && g_Slots[slot] != block) slot = Next(slot);
  if (g_Slots[slot] == 0) ++g_Live;
  g_Slots[slot] = block;
}

// Linear probing with backward-shift removal: the blocks behind a removed one move up so that
// every block stays reachable from its home slot.
bool Erase(uintptr_t block) {
  size_t slot = Home(block);
  while (g_Slots[slot] != block) {
    if (g_Slots[slot] == 0) return false;
    slot = Next(slot);
  }
  g_Slots[slot] = 0;
  --g_Live;
  for (size_t hole = slot, next = Next(slot); g_Slots[next] != 0; next = Next(next)) {
    size_t home = Home(g_Slots[next]);
    bool stays = hole <= next ? (home > hole && home <= next) : (home > hole || home <= next);
    if (stays) continue;
    g_Slots[hole] = g_Slots[next];
    g_Slots[next] = 0;
    hole = next;
  }
  return true;
}

void ClearRecord() {
  for (uintptr_t& slot : g_Slots) slot = 0;
  g_Live = 0;
}

}  // namespace

namespace internal {

bool Admit(size_t size) {
  if (g_Armed) {
    ++g_Count;
    bool fails = g_Count == g_FailAt || (g_Mode == FaultMode::kFromThenOn && g_Count > g_FailAt);
    g_Struck = g_Struck || fails;
    return !fails;
  }
  if (g_Counting) ++g_Count;
  return g_FailSize == 0 || size != g_FailSize;
}

void Record(void* block) {
  if (g_Recording && block != nullptr) Insert(reinterpret_cast<uintptr_t>(block));
}

void Forget(void* block) {
  if (g_Live != 0 && block != nullptr) Erase(reinterpret_cast<uintptr_t>(block));
}

void Moved(void* from, void* to) {
  bool recorded = g_Live != 0 && from != nullptr && Erase(reinterpret_cast<uintptr_t>(from));
  if ((recorded || g_Recording) && to != nullptr) Insert(reinterpret_cast<uintptr_t>(to));
}

}  // namespace internal

AllocationFault::AllocationFault(size_t nth, FaultMode mode) {
  if (g_Armed) {
    fputs("fault_alloc: one injection at a time\n", stderr);
    abort();
  }
  ClearRecord();
  g_Mode = mode;
  g_FailAt = nth;
  g_Count = 0;
  g_Struck = false;
  g_Recording = true;
  g_Armed = true;
}

AllocationFault::~AllocationFault() { Stop(); }

bool AllocationFault::Stop() {
  if (!m_Stopped) {
    g_Armed = false;
    g_Recording = false;
    m_Struck = g_Struck;
    m_Stopped = true;
  }
  return m_Struck;
}

size_t AllocationFault::LiveBlocks() const { return g_Live; }

size_t AllocationFault::Counted() const { return g_Count; }

void CountAllocations(bool counting) {
  if (counting) g_Count = 0;
  g_Counting = counting;
}

size_t AllocationsCounted() { return g_Count; }

void FailAllocationsOfSize(size_t size) { g_FailSize = size; }

}  // namespace velmora::fault
