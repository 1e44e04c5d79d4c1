/* The private sample folder (fprint_sample_dir.h). */
#include "fprint_sample_dir.h"

#include <errno.h>
#include <fcntl.h>
#include <glib.h>
#include <glib/gstdio.h>
#include <linux/magic.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include "fprint_settings.h"

enum { kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC };

/* What opening a private folder came to: taken means it exists but is no private folder of the
 * caller's (a link, a file, someone else's, open to others, or below a folder others may change). */
typedef enum { kOpened, kTaken, kFailed } Outcome;

/* A folder on the way: nobody but root and the caller may rename or replace what it holds. */
static gboolean IsSafeParent(const struct stat* st) {
  return S_ISDIR(st->st_mode) && (st->st_uid == 0 || st->st_uid == geteuid()) &&
         ((st->st_mode & 022) == 0 || (st->st_mode & S_ISVTX) != 0);
}

static gboolean IsPrivate(const struct stat* st) {
  return S_ISDIR(st->st_mode) && st->st_uid == geteuid() && (st->st_mode & 077) == 0;
}

/* Opens `name` in `parent` once `parent` is judged safe, and closes `parent`. The descriptor, or
 * -1 with errno set (EPERM for an unsafe parent or a "..").  */
static int OpenStep(int parent, const char* name) {
  struct stat st;
  int fd = -1;
  if (fstat(parent, &st) == 0) {
    if (IsSafeParent(&st) && strcmp(name, "..") != 0)
      fd = openat(parent, name, kFolderFlags);
    else
      errno = EPERM;
  }
  int error = errno;
  close(parent);
  errno = error;
  return fd;
}

/* Opens the absolute `path` one component at a time, following no link; the folder reached is
 * judged as a parent too. As OpenStep. */
static int OpenPath(const char* path) {
  int fd = open("/", kFolderFlags);
  g_auto(GStrv) parts = g_strsplit(path, "/", -1);
  for (char** part = parts; fd >= 0 && *part != NULL; ++part)
    if (**part != '\0' && strcmp(*part, ".") != 0) fd = OpenStep(fd, *part);
  return fd >= 0 ? OpenStep(fd, ".") : -1;
}

static Outcome Failed(const char* call, const char* path) {
  fprintf(stderr, "velmora fprint: %s %s: %s\n", call, path, strerror(errno));
  return kFailed;
}

/* Opens the folder `name` (one component) of the folder `parent`, made 0700 when missing, and
 * judges it; a system-call failure is reported here. */
static Outcome OpenPrivate(const char* parent, const char* name, int* fd) {
  int dir = OpenPath(parent);
  if (dir < 0) return errno == EPERM || errno == ELOOP || errno == ENOTDIR ? kTaken : Failed("open", parent);
  if (mkdirat(dir, name, 0700) != 0 && errno != EEXIST) {
    close(dir);
    return Failed("mkdir", name);
  }
  *fd = openat(dir, name, kFolderFlags);
  int error = errno;
  close(dir);
  errno = error;
  if (*fd < 0) return errno == ELOOP || errno == ENOTDIR ? kTaken : Failed("open", name);
  struct stat st;
  if (fstat(*fd, &st) == 0 && IsPrivate(&st)) return kOpened;
  close(*fd);
  *fd = -1;
  return kTaken;
}

static int Refuse(const char* path, const char* why) {
  fprintf(stderr, "velmora fprint: refusing sample folder %s: %s\n", path, why);
  return -1;
}

/* The folder at `path`, which must be private; no other folder stands in for it. */
static int OpenNamed(FprintSampleFolder* folder, const char* path) {
  if (!g_path_is_absolute(path) || strchr(path, ';') != NULL)
    return Refuse(path, "not an absolute path, or it holds ';'");
  g_autofree char* parent = g_path_get_dirname(path);
  g_autofree char* name = g_path_get_basename(path);
  if (strchr(name, '/') != NULL || strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
    return Refuse(path, "not a folder's name");
  Outcome outcome = OpenPrivate(parent, name, &folder->m_Fd);
  if (outcome == kTaken)
    return Refuse(path, "a link, someone else's, open to others or below a folder that others may change");
  if (outcome == kOpened) folder->m_Path = g_strdup(path);
  return outcome == kOpened ? 0 : -1;
}

/* Whether $XDG_RUNTIME_DIR is there to use: a private folder of the caller's on a safe way. */
static gboolean RuntimeUsable(const char* runtime) {
  if (runtime == NULL || !g_path_is_absolute(runtime) || strchr(runtime, ';') != NULL) return FALSE;
  int fd = OpenPath(runtime);
  struct stat st;
  gboolean usable = fd >= 0 && fstat(fd, &st) == 0 && IsPrivate(&st);
  if (fd >= 0) close(fd);
  return usable;
}

/* A fresh private folder beside the taken `name` in `base`, said on standard error. */
static int OpenFresh(FprintSampleFolder* folder, const char* base, const char* name) {
  g_autofree char* path = g_strdup_printf("%s/%s-XXXXXX", base, name);
  if (g_mkdtemp_full(path, 0700) == NULL) {
    Failed("mkdtemp", path);
    return -1;
  }
  g_autofree char* fresh = g_path_get_basename(path);
  if (OpenPrivate(base, fresh, &folder->m_Fd) != kOpened) return Refuse(path, "changed under the plug-in");
  fprintf(stderr, "velmora fprint: %s/%s is taken by someone else; the samples go to %s\n", base, name, path);
  folder->m_Path = g_steal_pointer(&path);
  return 0;
}

/* velmora-<uid> in a folder that every user shares: /dev/shm (memory only) when it is a tmpfs. */
static int OpenShared(FprintSampleFolder* folder) {
  struct statfs fs;
  const char* base = statfs("/dev/shm", &fs) == 0 && fs.f_type == TMPFS_MAGIC ? "/dev/shm" : "/tmp";
  g_autofree char* name = g_strdup_printf("velmora-%u", (unsigned)geteuid());
  Outcome outcome = OpenPrivate(base, name, &folder->m_Fd);
  int result = outcome == kTaken ? OpenFresh(folder, base, name) : outcome == kOpened ? 0 : -1;
  if (outcome == kOpened) folder->m_Path = g_build_filename(base, name, NULL);
  if (result == 0) folder->m_SharedFd = OpenPath(base); /* judged once more; -1 only spares the sweep */
  if (folder->m_SharedFd >= 0) folder->m_SharedPath = base;
  return result;
}

int FprintSampleFolderOpen(FprintSampleFolder* folder) {
  folder->m_Path = NULL;
  folder->m_Fd = folder->m_SharedFd = -1;
  folder->m_SharedPath = NULL;
  const char* setting = FprintSampleDirSetting();
  if (setting != NULL) return OpenNamed(folder, setting);
  const char* runtime = g_getenv("XDG_RUNTIME_DIR");
  if (!RuntimeUsable(runtime)) return OpenShared(folder);
  g_autofree char* path = g_build_filename(runtime, "velmora", NULL);
  return OpenNamed(folder, path);
}

void FprintSampleFolderClose(FprintSampleFolder* folder) {
  if (folder->m_Fd >= 0) close(folder->m_Fd);
  if (folder->m_SharedFd >= 0) close(folder->m_SharedFd);
  folder->m_Fd = folder->m_SharedFd = -1;
  folder->m_SharedPath = NULL;
  g_clear_pointer(&folder->m_Path, g_free);
}
