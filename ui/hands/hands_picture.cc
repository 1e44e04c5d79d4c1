// velmora-hands-picture OUTPUT.bmp [SCALE]: draws the window's hand picture, SCALE (1 or 2) times
// the window's size, and writes it as a BMP file.
#include <cairo.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "ui/finger_placement.h"
#include "ui/hands/bmp_writer.h"
#include "ui/hands/hand_drawing.h"

int main(int argc, char** argv) {
  int scale = argc == 3 ? atoi(argv[2]) : 1;
  if ((argc != 2 && argc != 3) || (scale != 1 && scale != 2)) {
    fprintf(stderr, "usage: %s OUTPUT.bmp [1|2]\n", argv[0]);
    return 2;
  }
  const int width = kWindowWidth * scale, height = kWindowHeight * scale;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, scale, scale);  // drawn at the size, not enlarged: as sharp as the small one
  DrawHands(cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  bool written = WriteBmp(argv[1], cairo_image_surface_get_data(surface), width, height,
                          cairo_image_surface_get_stride(surface));
  if (!written) fprintf(stderr, "%s: %s: %s\n", argv[0], argv[1], strerror(errno));
  cairo_surface_destroy(surface);
  return written ? 0 : 1;
}
