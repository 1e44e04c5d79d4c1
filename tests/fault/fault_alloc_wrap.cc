// The sanitized build's way in. The sanitizer's allocator must stay below every block, so this
// binary is linked with --wrap (tests/fault/CMakeLists.txt): each call of malloc, calloc, realloc,
// strdup and of the four ordinary operator new forms from the objects linked into the test binary
// (the product's static libraries among them) reaches the __wrap_ function here, which fails it or
// hands it on to __real_, the sanitizer's own. Blocks keep the sanitizer's bookkeeping, so
// LeakSanitizer sees every leak and AddressSanitizer every misuse.
//
// Calls made inside shared libraries (the C library's fopen and opendir, the loader, the plug-ins)
// are not wrapped and never fail here; the plain build (fault_alloc_interpose.cc) fails those.
#include <errno.h>
#include <sanitizer/lsan_interface.h>
#include <stddef.h>
#include <string.h>

#include <new>

#include "tests/fault/fault_alloc.h"
#include "tests/fault/fault_alloc_state.h"

namespace fi = velmora::fault::internal;

extern "C" {

void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* block, size_t size);
char* __real_strdup(const char* text);
void* __real__Znwm(size_t size);
void* __real__Znam(size_t size);
void* __real__ZnwmRKSt9nothrow_t(size_t size, const std::nothrow_t& tag) noexcept;
void* __real__ZnamRKSt9nothrow_t(size_t size, const std::nothrow_t& tag) noexcept;

void* __wrap_malloc(size_t size) {
  if (fi::Admit(size)) return __real_malloc(size);
  errno = ENOMEM;
  return nullptr;
}

void* __wrap_calloc(size_t count, size_t size) {
  size_t total = 0;
  if (__builtin_mul_overflow(count, size, &total) || fi::Admit(total)) return __real_calloc(count, size);
  errno = ENOMEM;
  return nullptr;
}

// A reallocation to 0 bytes frees the block; it is never failed, as its caller could not tell.
void* __wrap_realloc(void* block, size_t size) {
  if ((block != nullptr && size == 0) || fi::Admit(size)) return __real_realloc(block, size);
  errno = ENOMEM;
  return nullptr;
}

char* __wrap_strdup(const char* text) {
  if (fi::Admit(strlen(text) + 1)) return __real_strdup(text);
  errno = ENOMEM;
  return nullptr;
}

void* __wrap__Znwm(size_t size) {
  if (!fi::Admit(size)) throw std::bad_alloc();
  return __real__Znwm(size);
}

void* __wrap__Znam(size_t size) {
  if (!fi::Admit(size)) throw std::bad_alloc();
  return __real__Znam(size);
}

void* __wrap__ZnwmRKSt9nothrow_t(size_t size, const std::nothrow_t& tag) noexcept {
  return fi::Admit(size) ? __real__ZnwmRKSt9nothrow_t(size, tag) : nullptr;
}

void* __wrap__ZnamRKSt9nothrow_t(size_t size, const std::nothrow_t& tag) noexcept {
  return fi::Admit(size) ? __real__ZnamRKSt9nothrow_t(size, tag) : nullptr;
}

}  // extern "C"

namespace velmora::fault {

bool TracksLiveBlocks() { return false; }

bool LeakCheckFails() { return __lsan_do_recoverable_leak_check() != 0; }

}  // namespace velmora::fault
