// Opening and closing stores: path resolution, the directory form and the owner-write check.
#include "config/config_store.h"

#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>

#include "config/config_handle.h"
#include "config/regular_file.h"
#include "install_paths.h"

int ConfigResolvePath(const char* path, char* out, int capacity) {
  if (!path || !out || capacity < 1) return -1;
  int n;
  if (path[0] == '/') {
    n = snprintf(out, capacity, "%s", path);
  } else {
    const char* prefix = getenv("QX_PATH");
    n = snprintf(out, capacity, "%s/%s", prefix ? prefix : kConfigRoot, path);
  }
  return n >= 0 && n < capacity ? 0 : -1;
}

namespace {

// Builds the absolute path of `path` into `out`; false when it does not fit.
bool ResolvePath(const char* path, char* out) { return ConfigResolvePath(path, out, kConfigPathSize) == 0; }

// A stream that reads `path` when it is a regular file.
FILE* OpenForReading(const char* path) {
  int fd = velmora::config::OpenRegularFile(path, O_RDONLY);
  if (fd < 0) return nullptr;
  FILE* stream = fdopen(fd, "r");
  if (!stream) close(fd);
  return stream;
}

// Opens the settings file of the handle. A failed copy of the path still gives a handle that
// reads; only writing needs the path.
bool OpenSettingsFile(ConfigHandle* handle, const char* path) {
  handle->stream = OpenForReading(path);
  if (!handle->stream) return false;
  setvbuf(handle->stream, handle->streamBuffer, _IOFBF, sizeof(handle->streamBuffer));
  handle->filePath = strdup(path);
  return true;
}

// A directory is a store only when its "conf" file can be opened.
bool OpenDirectoryStore(ConfigHandle* handle, const char* path) {
  handle->dirStream = opendir(path);
  if (!handle->dirStream) return false;
  char confPath[kConfigPathSize];
  int n = snprintf(confPath, sizeof(confPath), "%s/conf", path);
  if (n >= 0 && n < kConfigPathSize && OpenSettingsFile(handle, confPath)) return true;
  closedir(handle->dirStream);
  handle->dirStream = nullptr;
  return false;
}

}  // namespace

ConfigHandle* ConfigOpen(const char* path) {
  char resolved[kConfigPathSize];
  struct stat status;
  if (!path || !ResolvePath(path, resolved) || stat(resolved, &status) != 0) return nullptr;
  ConfigHandle* handle = new (std::nothrow) ConfigHandle{};
  if (!handle) return nullptr;
  bool opened =
      S_ISDIR(status.st_mode) ? OpenDirectoryStore(handle, resolved) : OpenSettingsFile(handle, resolved);
  if (opened) return handle;
  delete handle;
  return nullptr;
}

ConfigHandle* ConfigOpenWritable(const char* path) {
  ConfigHandle* handle = ConfigOpen(path);
  if (!handle) return nullptr;
  // The file that was opened is checked, not whatever the path names by now.
  struct stat status;
  bool hasPath = handle->filePath && handle->filePath[0] != '\0';
  if (hasPath && fstat(fileno(handle->stream), &status) == 0 && (status.st_mode & S_IWUSR)) return handle;
  ConfigClose(handle);
  return nullptr;
}

int ConfigClose(ConfigHandle* handle) {
  if (!handle) return -1;
  int dirResult = handle->dirStream ? closedir(handle->dirStream) : 0;
  int streamResult = handle->stream ? fclose(handle->stream) : 0;
  free(handle->filePath);
  delete handle;
  return dirResult == 0 && streamResult == 0 ? 0 : -1;
}
