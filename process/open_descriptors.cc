#include "process/open_descriptors.h"

#include <dirent.h>
#include <stdio.h>
#include <string.h>

long CountOpenDescriptors() {
  DIR* folder = opendir("/proc/self/fd");
  if (folder == nullptr) {
    perror("opendir: /proc/self/fd");
    return -1;
  }
  long count = 0;
  while (const dirent* entry = readdir(folder))
    if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0) ++count;
  closedir(folder);
  return count - 1;  // the listing's own
}
