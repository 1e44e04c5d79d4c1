/* The private sample folder (fp_sample_dir.h). */
#include "fp_sample_dir.h"

#include <errno.h>
#include <glib.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fp_settings.h"

/* Whether `path` is a real folder (no link) of the calling user. */
static gboolean IsOwnFolder(const char* path) {
  struct stat st;
  return lstat(path, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid();
}

/* The folder to use, before any check. */
static char* ChooseFolder(void) {
  const char* setting = FprintSampleDirSetting();
  if (setting != NULL) return g_strdup(setting);
  const char* runtime = g_getenv("XDG_RUNTIME_DIR");
  if (runtime != NULL && g_path_is_absolute(runtime) && IsOwnFolder(runtime))
    return g_build_filename(runtime, "velmora", NULL);
  return g_strdup_printf("/tmp/velmora-%u", (unsigned)getuid());
}

/* Creates `path` 0700 unless it exists, then checks it. 0, or -1 after one line on stderr. */
static int EnsurePrivate(const char* path) {
  if (mkdir(path, 0700) != 0 && errno != EEXIST) {
    fprintf(stderr, "velmora fprint: mkdir %s: %s\n", path, strerror(errno));
    return -1;
  }
  struct stat st;
  if (lstat(path, &st) != 0) {
    fprintf(stderr, "velmora fprint: lstat %s: %s\n", path, strerror(errno));
    return -1;
  }
  if (!S_ISDIR(st.st_mode) || st.st_uid != getuid() || (st.st_mode & 077) != 0) {
    fprintf(stderr, "velmora fprint: refusing sample folder %s: a link, someone else's or open to others\n",
            path);
    return -1;
  }
  return 0;
}

char* FprintSampleDir(void) {
  g_autofree char* path = ChooseFolder();
  if (!g_path_is_absolute(path)) {
    fprintf(stderr, "velmora fprint: sample folder %s is not an absolute path\n", path);
    return NULL;
  }
  if (EnsurePrivate(path) != 0) return NULL;
  return g_steal_pointer(&path);
}
