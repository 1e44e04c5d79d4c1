// Replacement through a temporary file in the target's directory and a rename over the target.
//
// The temporary file is made unnamed (O_TMPFILE) where the file system allows, and gets its name
// only just before the rename: a process killed while writing leaves nothing behind, where a
// named file would stay. Without O_TMPFILE (or without /proc to link it through) a named file is
// made at once. Either is locked (flock) until the rename, so that a later rewrite tells what a
// killed process left from what a live one still writes (stale_temporaries.h).
#include "config/atomic_replace.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/extended_attributes.h"
#include "config/temporary_name.h"

namespace velmora::config {
namespace {

// One replacement in progress.
struct Replacement {
  int file;                // the file as it was opened
  char target[PATH_MAX];   // the file itself, every link resolved
  char temp[PATH_MAX];     // the temporary file beside it
  struct stat original;    // of `file`
  FILE* stream = nullptr;  // on the temporary file
  bool named = false;      // the temporary file has its name `temp`
};

// A regular file with no other name: a new file in its place would leave another name on the old
// text.
bool IsReplaceable(const struct stat& original) {
  if (S_ISREG(original.st_mode) && original.st_nlink == 1) return true;
  errno = S_ISREG(original.st_mode) ? EMLINK : EINVAL;
  return false;
}

// Whether the resolved name still names the opened file, and it alone: what was read and judged
// writable is what the rename replaces. Another file by now fails with ESTALE, another link with
// EMLINK.
bool NamesTheOpenedFile(const Replacement& r) {
  struct stat now;
  if (fstatat(AT_FDCWD, r.target, &now, AT_SYMLINK_NOFOLLOW) != 0) return false;
  if (now.st_dev == r.original.st_dev && now.st_ino == r.original.st_ino) return IsReplaceable(now);
  errno = ESTALE;
  return false;
}

// Finds the opened file's name behind any links and names a temporary file in its directory.
bool Resolve(const char* path, Replacement* r) {
  if (fstat(r->file, &r->original) != 0 || !realpath(path, r->target)) return false;
  if (!IsReplaceable(r->original) || !NamesTheOpenedFile(*r)) return false;
  const char* slash = strrchr(r->target, '/');
  int dirLength = static_cast<int>(slash - r->target);
  // The random part makes the name unique; the file's own name is cut so that the temporary
  // name still fits a directory entry when the file's name nearly fills one.
  int n = snprintf(r->temp, sizeof(r->temp), "%.*s/.%.*s.XXXXXX", dirLength, r->target, kTemporaryNameKept,
                   slash + 1);
  return n >= 0 && static_cast<size_t>(n) < sizeof(r->temp);
}

// The unnamed file in the target's directory, or -1 with errno set.
int CreateUnnamed(const Replacement& r) {
  if (access("/proc/self/fd", X_OK) != 0) {
    errno = EOPNOTSUPP;
    return -1;
  }
  const char* slash = strrchr(r.target, '/');
  char dir[PATH_MAX];
  snprintf(dir, sizeof(dir), "%.*s", slash == r.target ? 1 : static_cast<int>(slash - r.target), r.target);
  return open(dir, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
}

// The errors of a file system, or a kernel, that has no unnamed files.
bool LacksUnnamed(int error) { return error == EOPNOTSUPP || error == EISDIR || error == EINVAL; }

bool CreateTemp(Replacement* r) {
  int fd = CreateUnnamed(*r);
  if (fd < 0 && LacksUnnamed(errno)) {
    fd = mkostemp(r->temp, O_CLOEXEC);
    r->named = fd >= 0;
  }
  if (fd < 0) return false;
  // Without the lock (ENOLCK) the file is only less protected from a rewrite that removes stale ones.
  flock(fd, LOCK_EX);
  r->stream = fdopen(fd, "r+");
  if (r->stream) return true;
  close(fd);
  if (r->named) unlink(r->temp);
  return false;
}

// Fills the six X of the temporary name with random letters and digits; the attempt number keeps
// names apart should the random source fail.
void RandomizeName(char* temp, int attempt) {
  constexpr int kLetterCount = sizeof(kTemporaryRandomLetters) - 1;
  unsigned char bytes[kTemporaryRandomLength] = {};
  if (getrandom(bytes, sizeof(bytes), 0) != sizeof(bytes)) bytes[0] ^= static_cast<unsigned char>(attempt);
  char* x = temp + strlen(temp) - kTemporaryRandomLength;
  for (int i = 0; i < kTemporaryRandomLength; ++i) x[i] = kTemporaryRandomLetters[bytes[i] % kLetterCount];
}

// Gives an unnamed file its name beside the target, trying fresh names while one is taken.
bool LinkTemp(Replacement* r) {
  if (r->named) return true;
  char fdPath[64];
  snprintf(fdPath, sizeof(fdPath), "/proc/self/fd/%d", fileno(r->stream));
  for (int attempt = 0; attempt < 100; ++attempt) {
    RandomizeName(r->temp, attempt);
    if (linkat(AT_FDCWD, fdPath, AT_FDCWD, r->temp, AT_SYMLINK_FOLLOW) == 0) {
      r->named = true;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

// Owner first: giving a file away may clear its set-id bits and drop a capability attribute, and
// an ACL sets the mode's bits; the mode comes last and restores them all. A new file that cannot
// take the owner, an attribute or the mode is no longer the same file to everyone (EPERM,
// EOPNOTSUPP).
bool CopyOwnerAttributesAndMode(const Replacement& r) {
  int fd = fileno(r.stream);
  if (fchown(fd, r.original.st_uid, r.original.st_gid) != 0) return false;
  if (!CopyExtendedAttributes(r.file, fd)) return false;
  return fchmod(fd, r.original.st_mode & 07777) == 0;
}

bool WriteText(const Replacement& r, std::string_view text) {
  if (fwrite(text.data(), 1, text.size(), r.stream) != text.size()) return false;
  if (fflush(r.stream) != 0) return false;
  return fsync(fileno(r.stream)) == 0;
}

bool RenameOverTarget(const Replacement& r) { return rename(r.temp, r.target) == 0; }

// Keeps the failure's errno, which tells the caller whether another way may still work.
void Discard(Replacement* r) {
  int error = errno;
  fclose(r->stream);
  if (r->named) unlink(r->temp);
  errno = error;
}

void SyncDirectory(const Replacement& r) {
  const char* slash = strrchr(r.target, '/');
  char dir[PATH_MAX];
  snprintf(dir, sizeof(dir), "%.*s", slash == r.target ? 1 : static_cast<int>(slash - r.target), r.target);
  int fd = open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

// A read-only folder (EROFS), a name that a mount covers (EBUSY) or that lies on another mount than
// the new file (EXDEV) refuse the new file, not the file itself: it may still be written.
bool CannotReplaceKeepingTheFile(int error) {
  for (int refusal : {EACCES, EPERM, EMLINK, EOPNOTSUPP, EROFS, EBUSY, EXDEV})
    if (error == refusal) return true;
  return false;
}

FILE* ReplaceFileAtomically(const char* path, int file, std::string_view text) {
  Replacement r;
  r.file = file;
  if (!Resolve(path, &r) || !CreateTemp(&r)) return nullptr;
  if (!CopyOwnerAttributesAndMode(r) || !WriteText(r, text) || !NamesTheOpenedFile(r) || !LinkTemp(&r) ||
      !RenameOverTarget(r)) {
    Discard(&r);
    return nullptr;
  }
  flock(fileno(r.stream), LOCK_UN);
  SyncDirectory(r);
  return r.stream;
}

}  // namespace velmora::config
