#include "config/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::config {

// The open itself must not wait for a FIFO's other end; the file is checked through the
// descriptor, so that what is checked is what was opened.
int OpenRegularFile(const char* path, int flags) {
  int fd = open(path, flags | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat status;
  if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && fcntl(fd, F_SETFL, 0) == 0) return fd;
  close(fd);
  return -1;
}

}  // namespace velmora::config
