// What a process holds, to see a plug-in's leaks: its open descriptors and the heap bytes in use.
//
// Thread rules: any thread; the numbers are taken at one moment.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_PROCESS_USAGE_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_PROCESS_USAGE_H_

#include <stddef.h>

struct ProcessUsage {
  long descriptors = 0;  // CountOpenDescriptors (process/open_descriptors.h)
  size_t heapBytes = 0;  // allocated and not freed, as the allocator counts it
};

// This process now. Under a sanitizer the heap is its allocator's count, else glibc's.
ProcessUsage MeasureProcessUsage();

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_PROCESS_USAGE_H_
