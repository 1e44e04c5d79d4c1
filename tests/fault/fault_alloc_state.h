// The shared state behind fault_alloc.h, for the two files that put it between the program and
// its allocator.
//
// Test support only. Everything here is plain zero-initialised data: the dynamic loader allocates
// through these functions before any constructor has run.
#ifndef VELMORA_TESTS_FAULT_FAULT_ALLOC_STATE_H_
#define VELMORA_TESTS_FAULT_FAULT_ALLOC_STATE_H_

#include <stddef.h>

namespace velmora::fault::internal {

// Counts one allocation of `size` bytes; false when it is to fail.
bool Admit(size_t size);

// Notes a block that an allocation gave out (recorded only while an injection is armed), one that
// is freed, and one that a reallocation moved (the new block stays recorded when the old one was).
void Record(void* block);
void Forget(void* block);
void Moved(void* from, void* to);

}  // namespace velmora::fault::internal

#endif  // VELMORA_TESTS_FAULT_FAULT_ALLOC_STATE_H_
