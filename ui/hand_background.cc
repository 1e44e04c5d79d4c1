#include "ui/hand_background.h"

#include <stdio.h>

namespace {

GdkPixbuf* LoadPicture(const char* path) {
  GError* error = nullptr;
  GdkPixbuf* picture = gdk_pixbuf_new_from_file(path, &error);
  if (!picture) {
    fprintf(stderr, "velmora-capture: cannot load %s: %s\n", path, error ? error->message : "unknown error");
    if (error) g_error_free(error);
  }
  return picture;
}

}  // namespace

bool InstallHandBackground(GtkWidget* window, const char* path) {
  GdkPixbuf* picture = LoadPicture(path);
  if (!picture) return false;
  GdkPixmap* pixmap = nullptr;
  gdk_pixbuf_render_pixmap_and_mask(picture, &pixmap, nullptr, 0);
  g_object_unref(picture);
  if (!pixmap) {
    // A style without the pixmap would drop the theme's background as well: keep the theme's.
    fprintf(stderr, "velmora-capture: cannot render %s\n", path);
    return false;
  }
  GtkStyle* style = gtk_style_new();
  style->bg_pixmap[GTK_STATE_NORMAL] = pixmap;  // the style now owns the pixmap
  gtk_widget_set_style(window, style);
  g_object_unref(style);
  return true;
}
