/* The plug-in's settings from the environment (fprint_settings.h). */
#include "fprint_settings.h"

#include <errno.h>
#include <glib.h>
#include <stdlib.h>

int FprintRetryCap(void) {
  const char* text = g_getenv("VELMORA_FPRINT_RETRIES");
  if (text == NULL || *text < '0' || *text > '9') return G_MAXINT;
  char* end = NULL;
  errno = 0;
  unsigned long cap = strtoul(text, &end, 10);
  if (errno != 0 || *end != '\0' || cap > G_MAXINT) return G_MAXINT;
  return (int)cap;
}

const char* FprintSampleDirSetting(void) {
  const char* dir = g_getenv("VELMORA_FPRINT_SAMPLE_DIR");
  return dir != NULL && *dir != '\0' ? dir : NULL;
}
