// The file descriptors that this process holds open, for the fault tests: an operation that
// fails part-way must give back every descriptor it took.
//
// Test support only. Allocates (a directory stream): count outside an allocation fault.
#ifndef VELMORA_TESTS_FAULT_OPEN_DESCRIPTORS_H_
#define VELMORA_TESTS_FAULT_OPEN_DESCRIPTORS_H_

#include <dirent.h>

namespace velmora::fault {

// The entries of /proc/self/fd, less "." and ".." and the stream's own; -1 without /proc.
inline int OpenDescriptorCount() {
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return -1;
  int count = 0;
  while (const dirent* entry = readdir(dir)) count += entry->d_name[0] != '.';
  closedir(dir);
  return count - 1;
}

}  // namespace velmora::fault

#endif  // VELMORA_TESTS_FAULT_OPEN_DESCRIPTORS_H_
