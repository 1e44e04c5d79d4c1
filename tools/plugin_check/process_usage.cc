#include "tools/plugin_check/process_usage.h"

#include <malloc.h>

#include "process/open_descriptors.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VELMORA_SANITIZER_HEAP 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VELMORA_SANITIZER_HEAP 1
#endif
#ifdef VELMORA_SANITIZER_HEAP
#include <sanitizer/allocator_interface.h>
#endif

namespace {

size_t HeapInUse() {
#ifdef VELMORA_SANITIZER_HEAP
  return __sanitizer_get_current_allocated_bytes();
#else
  struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
#endif
}

}  // namespace

ProcessUsage MeasureProcessUsage() { return {CountOpenDescriptors(), HeapInUse()}; }
