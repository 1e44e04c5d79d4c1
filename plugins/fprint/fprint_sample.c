/* The sample text (fprint_sample.h). */
#include "fprint_sample.h"

#include <glib/gstdio.h>
#include <stdio.h>
#include <unistd.h>

#include "fprint_device_text.h"
#include "fprint_pgm.h"
#include "fprint_sample_dir.h"
#include "fprint_sample_sweep.h"

/* The text for a written file, or -1 (file removed) when it does not fit. */
static int FormatSample(FpDevice* device, FpImage* image, FprintPgm* pgm, FprintSample* sample) {
  GPtrArray* minutiae = fp_image_get_minutiae(image);
  g_autofree char* label = FprintDeviceLabel(device);
  int length = g_snprintf(sample->m_Text, kFprintSampleCapacity,
                          "fpx1;image=%s;width=%u;height=%u;minutiae=%u;sha256=%s;device=%s", pgm->m_Path,
                          fp_image_get_width(image), fp_image_get_height(image),
                          minutiae != NULL ? minutiae->len : 0u, pgm->m_Sha256, label);
  if (length < kFprintSampleCapacity) return length;
  fprintf(stderr, "velmora fprint: the sample text would be %d bytes, more than %d\n", length,
          kFprintSampleCapacity - 1);
  g_unlink(pgm->m_Path);
  return -1;
}

/* The image's pixels, or NULL after one line on stderr when their count is not width x height. */
static const guchar* Pixels(FpImage* image) {
  gsize size = 0;
  const guchar* pixels = fp_image_get_data(image, &size);
  unsigned width = fp_image_get_width(image), height = fp_image_get_height(image);
  if (pixels != NULL && size == (gsize)width * height) return pixels;
  fprintf(stderr, "velmora fprint: the reader gave %zu bytes for %u x %u pixels\n", (size_t)size, width,
          height);
  return NULL;
}

int FprintMakeSample(FpDevice* device, FpImage* image, FprintSample* sample) {
  const guchar* pixels = Pixels(image);
  FprintSampleFolder folder = {NULL, -1, -1, NULL};
  if (pixels == NULL || FprintSampleFolderOpen(&folder) != 0) return -1;
  time_t now = g_get_real_time() / G_USEC_PER_SEC;
  FprintSweepSamples(folder.m_Fd, folder.m_Path, now);
  if (folder.m_SharedFd >= 0) FprintSweepFreshFolders(folder.m_SharedFd, folder.m_SharedPath, now);
  FprintPgm pgm = {NULL, NULL};
  int length = -1;
  if (FprintWritePgm(&folder, pixels, fp_image_get_width(image), fp_image_get_height(image), &pgm) == 0)
    length = FormatSample(device, image, &pgm, sample);
  if (length >= 0) sample->m_Path = g_steal_pointer(&pgm.m_Path);
  FprintPgmClear(&pgm);
  FprintSampleFolderClose(&folder);
  return length;
}

void FprintSampleDiscard(FprintSample* sample) {
  if (sample->m_Path != NULL && g_unlink(sample->m_Path) != 0) perror("velmora fprint: unlink");
}

void FprintSampleClear(FprintSample* sample) { g_clear_pointer(&sample->m_Path, g_free); }
