/* Removing old samples (fp_sample_sweep.h). */
#include "fp_sample_sweep.h"

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

/* Whether the entry `name` of `dir` is a sample of the caller's that has outlived its time. */
static gboolean IsExpired(int dir, const char* name, time_t now) {
  struct stat st;
  return IsSampleName(name) && fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
         st.st_uid == geteuid() && st.st_mtime < now - kFprintSampleLifetimeSeconds;
}

void FprintSweepSamples(int dir, const char* path, time_t now) {
  /* a descriptor of its own: a dup would share, and move, the caller's directory offset */
  int listing = openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* entries = listing >= 0 ? fdopendir(listing) : NULL;
  if (entries == NULL) {
    fprintf(stderr, "velmora fprint: opendir %s: %s\n", path, strerror(errno));
    if (listing >= 0) close(listing);
    return;
  }
  for (struct dirent* entry; (entry = readdir(entries)) != NULL;)
    if (IsExpired(dir, entry->d_name, now) && unlinkat(dir, entry->d_name, 0) != 0 && errno != ENOENT)
      fprintf(stderr, "velmora fprint: unlink %s/%s: %s\n", path, entry->d_name, strerror(errno));
  closedir(entries);
}
