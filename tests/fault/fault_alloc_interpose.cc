// The plain build's way in: this binary defines malloc, calloc, realloc and free itself and hands
// every call on to the C library's allocator (__libc_malloc and its kin). The dynamic linker binds
// every caller in the process to these definitions, the C library's own functions (fopen,
// opendir, strdup, the loader's dlopen) and the plug-ins included, so their allocations fail too.
//
// No sanitizer may run below this: it would be bypassed. Leaks are found here by the record of
// live blocks instead (fault_alloc.cc); sanitized builds use fault_alloc_wrap.cc.
#include <errno.h>
#include <stddef.h>

#include "tests/fault/fault_alloc.h"
#include "tests/fault/fault_alloc_state.h"

extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* block, size_t size);
extern "C" void __libc_free(void* block);

namespace fi = velmora::fault::internal;

extern "C" void* malloc(size_t size) noexcept {
  if (!fi::Admit(size)) {
    errno = ENOMEM;
    return nullptr;
  }
  void* block = __libc_malloc(size);
  fi::Record(block);
  return block;
}

extern "C" void* calloc(size_t count, size_t size) noexcept {
  size_t total = 0;
  if (!__builtin_mul_overflow(count, size, &total) && !fi::Admit(total)) {
    errno = ENOMEM;
    return nullptr;
  }
  void* block = __libc_calloc(count, size);
  fi::Record(block);
  return block;
}

// A reallocation to 0 bytes frees the block; it is never failed, as its caller could not tell.
extern "C" void* realloc(void* block, size_t size) noexcept {
  if (block == nullptr || size != 0) {
    if (!fi::Admit(size)) {
      errno = ENOMEM;
      return nullptr;
    }
  }
  void* moved = __libc_realloc(block, size);
  if (moved != nullptr || size == 0) fi::Moved(block, moved);
  return moved;
}

extern "C" void free(void* block) noexcept {
  fi::Forget(block);
  __libc_free(block);
}

namespace velmora::fault {

bool TracksLiveBlocks() { return true; }

bool LeakCheckFails() { return false; }

}  // namespace velmora::fault
