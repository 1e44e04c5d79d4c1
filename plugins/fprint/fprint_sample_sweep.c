/* Removing old samples and the fresh folders they leave (fprint_sample_sweep.h). */
#include "fprint_sample_sweep.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <glib.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

/* Whether `name` is one that the plug-in gives its samples. */
static gboolean IsSampleName(const char* name) {
  return strlen(name) == strlen("sample-XXXXXX.pgm") && g_str_has_prefix(name, "sample-") &&
         g_str_has_suffix(name, ".pgm");
}

/* Whether `name` is one that the plug-in gives a fresh folder of the caller's: `prefix`, then the
 * six characters of mkdtemp. */
static gboolean IsFreshFolderName(const char* name, const char* prefix) {
  return g_str_has_prefix(name, prefix) && strlen(name) == strlen(prefix) + strlen("XXXXXX");
}

/* Whether `st` is the caller's and was last changed longer ago than a sample lives. */
static gboolean IsOwnAndOld(const struct stat* st, time_t now) {
  return st->st_uid == geteuid() && st->st_mtime < now - kFprintSampleLifetimeSeconds;
}

/* Whether the entry `name` of `dir` is a sample of the caller's that has outlived its time. */
static gboolean IsExpired(int dir, const char* name, time_t now) {
  struct stat st;
  return IsSampleName(name) && fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
         IsOwnAndOld(&st, now);
}

/* The entries of the open folder `dir`, or NULL after one line on standard error. */
static DIR* List(int dir, const char* path) {
  /* a descriptor of its own: a dup would share, and move, the caller's directory offset */
  int listing = openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* entries = listing >= 0 ? fdopendir(listing) : NULL;
  if (entries == NULL) {
    fprintf(stderr, "velmora fprint: opendir %s: %s\n", path, strerror(errno));
    if (listing >= 0) close(listing);
  }
  return entries;
}

void FprintSweepSamples(int dir, const char* path, time_t now) {
  DIR* entries = List(dir, path);
  if (entries == NULL) return;
  for (struct dirent* entry; (entry = readdir(entries)) != NULL;)
    if (IsExpired(dir, entry->d_name, now) && unlinkat(dir, entry->d_name, 0) != 0 && errno != ENOENT)
      fprintf(stderr, "velmora fprint: unlink %s/%s: %s\n", path, entry->d_name, strerror(errno));
  closedir(entries);
}

/* Whether the folder `fd` is a real folder of the caller's, unchanged for longer than a sample
 * lives. */
static gboolean IsOldOwnFolder(int fd, time_t now) {
  struct stat st;
  return fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && IsOwnAndOld(&st, now);
}

/* Removes the old samples of the fresh folder `name` of `shared`, then the folder unless it
 * still holds something. Anything but an old folder of the caller's is left alone. */
static void SweepFreshFolder(int shared, const char* path, const char* name, time_t now) {
  int fd = openat(shared, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return; /* a link, a file, gone, or a folder that the caller may not open */
  if (IsOldOwnFolder(fd, now)) {
    g_autofree char* inner = g_build_filename(path, name, NULL);
    FprintSweepSamples(fd, inner, now);
    if (unlinkat(shared, name, AT_REMOVEDIR) != 0 && errno != ENOTEMPTY && errno != EEXIST && errno != ENOENT)
      fprintf(stderr, "velmora fprint: rmdir %s: %s\n", inner, strerror(errno));
  }
  close(fd);
}

void FprintSweepFreshFolders(int shared, const char* path, time_t now) {
  DIR* entries = List(shared, path);
  if (entries == NULL) return;
  g_autofree char* prefix = g_strdup_printf("velmora-%u-", (unsigned)geteuid());
  for (struct dirent* entry; (entry = readdir(entries)) != NULL;)
    if (IsFreshFolderName(entry->d_name, prefix)) SweepFreshFolder(shared, path, entry->d_name, now);
  closedir(entries);
}
