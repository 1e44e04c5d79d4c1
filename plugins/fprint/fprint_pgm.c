/* The PGM writer (fprint_pgm.h). */
#include "fprint_pgm.h"

#include <errno.h>
#include <fcntl.h>
#include <glib.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

/* The whole file: header and pixels. */
static GByteArray* PgmBytes(const unsigned char* pixels, unsigned width, unsigned height) {
  g_autofree char* header = g_strdup_printf("P5\n%u %u\n255\n", width, height);
  GByteArray* bytes = g_byte_array_sized_new(strlen(header) + (gsize)width * height);
  g_byte_array_append(bytes, (const guint8*)header, strlen(header));
  g_byte_array_append(bytes, pixels, (guint)((gsize)width * height));
  return bytes;
}

/* Writes all of `bytes` to `fd`. 0, or the errno of the failed write. */
static int WriteAll(int fd, const GByteArray* bytes) {
  gsize done = 0;
  while (done < bytes->len) {
    ssize_t n = write(fd, bytes->data + done, bytes->len - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    done += (gsize)n;
  }
  return 0;
}

/* Creates a new file "sample-XXXXXX.pgm" in the folder `dir`, its name into `name`. The descriptor,
 * or -1 with errno set. */
static int CreateFresh(int dir, char name[sizeof "sample-XXXXXX.pgm"]) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    for (int i = 0; i < 6; ++i) name[7 + i] = kLetters[g_random_int_range(0, sizeof kLetters - 1)];
    int fd = openat(dir, name, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1; /* errno stays EEXIST */
}

/* Creates, fills and closes the file. 0, or -1 after one line on stderr. */
static int WriteFile(int dir, char name[sizeof "sample-XXXXXX.pgm"], const char* path,
                     const GByteArray* bytes) {
  int fd = CreateFresh(dir, name);
  if (fd < 0) {
    fprintf(stderr, "velmora fprint: open %s: %s\n", path, strerror(errno));
    return -1;
  }
  const char* call = "fchmod";
  int error = fchmod(fd, 0600) != 0 ? errno : 0;
  if (error == 0) call = "write", error = WriteAll(fd, bytes);
  if (close(fd) != 0 && error == 0) call = "close", error = errno;
  if (error == 0) return 0;
  fprintf(stderr, "velmora fprint: %s %s/%s: %s\n", call, path, name, strerror(error));
  unlinkat(dir, name, 0);
  return -1;
}

int FprintWritePgm(const FprintSampleFolder* folder, const unsigned char* pixels, unsigned width,
                   unsigned height, FprintPgm* pgm) {
  g_autoptr(GByteArray) bytes = PgmBytes(pixels, width, height);
  char name[] = "sample-XXXXXX.pgm";
  if (WriteFile(folder->m_Fd, name, folder->m_Path, bytes) != 0) return -1;
  pgm->m_Sha256 = g_compute_checksum_for_data(G_CHECKSUM_SHA256, bytes->data, bytes->len);
  pgm->m_Path = g_build_filename(folder->m_Path, name, NULL);
  return 0;
}

void FprintPgmClear(FprintPgm* pgm) {
  g_clear_pointer(&pgm->m_Path, g_free);
  g_clear_pointer(&pgm->m_Sha256, g_free);
}
