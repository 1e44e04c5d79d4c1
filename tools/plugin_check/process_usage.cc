#include "tools/plugin_check/process_usage.h"

#include <dirent.h>
#include <malloc.h>
#include <stdio.h>
#include <string.h>

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

long OpenDescriptors() {
  DIR* folder = opendir("/proc/self/fd");
  if (folder == nullptr) {
    perror("opendir: /proc/self/fd");
    return -1;
  }
  long count = 0;
  while (dirent* entry = readdir(folder))
    if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0) ++count;
  closedir(folder);
  return count - 1;  // the listing's own
}

size_t HeapInUse() {
#ifdef VELMORA_SANITIZER_HEAP
  return __sanitizer_get_current_allocated_bytes();
#else
  struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
#endif
}

}  // namespace

ProcessUsage MeasureProcessUsage() { return {OpenDescriptors(), HeapInUse()}; }
