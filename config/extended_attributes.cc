// The attributes are copied one by one: the kernel has no call that copies them all, and the
// names and values are read with a size query first, since either can be up to 64 KiB long.
#include "config/extended_attributes.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <sys/xattr.h>

namespace velmora::config {
namespace {

// The names of a file's attributes, each ended by a NUL, as the kernel lists them.
struct Names {
  char* text = nullptr;
  ssize_t size = 0;
  ~Names() { free(text); }
};

// A file system without extended attributes lists none.
bool ListNames(int fd, Names* names) {
  ssize_t size = flistxattr(fd, nullptr, 0);
  if (size < 0 && errno == EOPNOTSUPP) return true;
  if (size <= 0) return size == 0;
  names->text = static_cast<char*>(malloc(static_cast<size_t>(size)));
  if (!names->text) {
    errno = ENOMEM;
    return false;
  }
  names->size = flistxattr(fd, names->text, static_cast<size_t>(size));
  return names->size >= 0;
}

bool Contains(const Names& names, const char* name) {
  for (ssize_t at = 0; at < names.size; at += static_cast<ssize_t>(strlen(names.text + at)) + 1)
    if (strcmp(names.text + at, name) == 0) return true;
  return false;
}

// Sets one attribute of `to` to its value on `from`.
bool CopyOne(int from, int to, const char* name) {
  ssize_t size = fgetxattr(from, name, nullptr, 0);
  if (size < 0) return false;
  char* value = static_cast<char*>(malloc(size > 0 ? static_cast<size_t>(size) : 1));
  if (!value) {
    errno = ENOMEM;
    return false;
  }
  ssize_t got = fgetxattr(from, name, value, static_cast<size_t>(size));
  bool copied = got >= 0 && fsetxattr(to, name, value, static_cast<size_t>(got), 0) == 0;
  int error = got >= 0 ? EOPNOTSUPP : errno;
  free(value);
  errno = error;
  return copied;
}

// Removes from `to` what `from` lacks: nothing may be added to the file.
bool RemoveOthers(int to, const Names& kept) {
  Names names;
  if (!ListNames(to, &names)) {
    errno = EOPNOTSUPP;
    return false;
  }
  for (ssize_t at = 0; at < names.size; at += static_cast<ssize_t>(strlen(names.text + at)) + 1) {
    const char* name = names.text + at;
    if (Contains(kept, name) || fremovexattr(to, name) == 0) continue;
    errno = EOPNOTSUPP;
    return false;
  }
  return true;
}

}  // namespace

bool CopyExtendedAttributes(int from, int to) {
  Names names;
  if (!ListNames(from, &names)) return false;
  for (ssize_t at = 0; at < names.size; at += static_cast<ssize_t>(strlen(names.text + at)) + 1)
    if (!CopyOne(from, to, names.text + at)) return false;
  return RemoveOthers(to, names);
}

}  // namespace velmora::config
