/* The PGM writer (fp_pgm.h). */
#include "fp_pgm.h"

#include <errno.h>
#include <fcntl.h>
#include <glib.h>
#include <glib/gstdio.h>
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

/* Creates, fills and closes the file. 0, or -1 after one line on stderr. */
static int WriteFile(char* path, const GByteArray* bytes) {
  int fd = g_mkstemp_full(path, O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) {
    fprintf(stderr, "velmora fprint: open %s: %s\n", path, strerror(errno));
    return -1;
  }
  const char* call = "fchmod";
  int error = fchmod(fd, 0600) != 0 ? errno : 0;
  if (error == 0) call = "write", error = WriteAll(fd, bytes);
  if (close(fd) != 0 && error == 0) call = "close", error = errno;
  if (error == 0) return 0;
  fprintf(stderr, "velmora fprint: %s %s: %s\n", call, path, strerror(error));
  g_unlink(path);
  return -1;
}

int FprintWritePgm(const char* folder, const unsigned char* pixels, unsigned width, unsigned height,
                   FprintPgm* pgm) {
  g_autoptr(GByteArray) bytes = PgmBytes(pixels, width, height);
  g_autofree char* path = g_build_filename(folder, "sample-XXXXXX.pgm", NULL);
  if (WriteFile(path, bytes) != 0) return -1;
  pgm->m_Sha256 = g_compute_checksum_for_data(G_CHECKSUM_SHA256, bytes->data, bytes->len);
  pgm->m_Path = g_steal_pointer(&path);
  return 0;
}

void FprintPgmClear(FprintPgm* pgm) {
  g_clear_pointer(&pgm->m_Path, g_free);
  g_clear_pointer(&pgm->m_Sha256, g_free);
}
