// velmora-hands-picture OUTPUT.bmp: draws the window's hand picture and writes it as a BMP file.
#include <cairo.h>
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "ui/finger_placement.h"
#include "ui/hands/bmp_writer.h"
#include "ui/hands/hand_drawing.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s OUTPUT.bmp\n", argv[0]);
    return 2;
  }
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWindowWidth, kWindowHeight);
  cairo_t* cr = cairo_create(surface);
  DrawHands(cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  bool written = WriteBmp(argv[1], cairo_image_surface_get_data(surface), kWindowWidth, kWindowHeight,
                          cairo_image_surface_get_stride(surface));
  if (!written) fprintf(stderr, "%s: %s: %s\n", argv[0], argv[1], strerror(errno));
  cairo_surface_destroy(surface);
  return written ? 0 : 1;
}
