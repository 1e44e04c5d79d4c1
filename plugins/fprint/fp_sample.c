/* The sample text (fp_sample.h). */
#include "fp_sample.h"

#include <glib/gstdio.h>
#include <stdio.h>

#include "fp_pgm.h"
#include "fp_sample_dir.h"

/* The text for a written file, or -1 (file removed) when it does not fit. */
static int FormatSample(FpDevice* device, FpImage* image, FprintPgm* pgm, char out[kFprintSampleCapacity]) {
  GPtrArray* minutiae = fp_image_get_minutiae(image);
  int length =
      g_snprintf(out, kFprintSampleCapacity,
                 "fpx1;image=%s;width=%u;height=%u;minutiae=%u;sha256=%s;device=%s/%s", pgm->m_Path,
                 fp_image_get_width(image), fp_image_get_height(image), minutiae != NULL ? minutiae->len : 0u,
                 pgm->m_Sha256, fp_device_get_driver(device), fp_device_get_device_id(device));
  if (length < kFprintSampleCapacity) return length;
  fprintf(stderr, "velmora fprint: the sample text would be %d bytes, more than %d\n", length,
          kFprintSampleCapacity - 1);
  g_unlink(pgm->m_Path);
  out[0] = '\0';
  return -1;
}

int FprintMakeSample(FpDevice* device, FpImage* image, char out[kFprintSampleCapacity]) {
  g_autofree char* folder = FprintSampleDir();
  if (folder == NULL) return -1;
  gsize size = 0;
  const guchar* pixels = fp_image_get_data(image, &size);
  unsigned width = fp_image_get_width(image), height = fp_image_get_height(image);
  if (pixels == NULL || size != (gsize)width * height) {
    fprintf(stderr, "velmora fprint: the reader gave %zu bytes for %u x %u pixels\n", (size_t)size, width,
            height);
    return -1;
  }
  FprintPgm pgm = {NULL, NULL};
  if (FprintWritePgm(folder, pixels, width, height, &pgm) != 0) return -1;
  int length = FormatSample(device, image, &pgm, out);
  FprintPgmClear(&pgm);
  return length;
}
