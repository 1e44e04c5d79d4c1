#include "config/stale_temporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/temporary_name.h"

namespace velmora::config {
namespace {

// Either access will do for the lock; a file left by a killed replacement has the mode of the file
// that this process is rewriting, so one of them is granted.
int OpenWithoutWaiting(int dir, const char* name) {
  int fd = openat(dir, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) fd = openat(dir, name, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  return fd;
}

// The name still names the file that was opened and locked: nothing else is removed.
bool IsStale(int dir, const char* name, int fd) {
  struct stat opened, named;
  if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) return false;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return false;
  if (fstatat(dir, name, &named, AT_SYMLINK_NOFOLLOW) != 0) return false;
  return named.st_dev == opened.st_dev && named.st_ino == opened.st_ino;
}

void RemoveIfStale(int dir, const char* name) {
  int fd = OpenWithoutWaiting(dir, name);
  if (fd < 0) return;
  if (IsStale(dir, name, fd)) unlinkat(dir, name, 0);
  close(fd);
}

}  // namespace

void RemoveStaleTemporaries(const char* path) {
  char target[PATH_MAX];
  if (!realpath(path, target)) return;
  char* slash = strrchr(target, '/');
  const char* name = slash + 1;
  *slash = '\0';
  DIR* dir = opendir(slash == target ? "/" : target);
  if (!dir) return;
  while (const dirent* entry = readdir(dir))
    if (IsTemporaryNameOf(entry->d_name, name)) RemoveIfStale(dirfd(dir), entry->d_name);
  closedir(dir);
}

}  // namespace velmora::config
