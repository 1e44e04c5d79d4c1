#include "ui/hand_background.h"

#include <stdio.h>

namespace {

// Feeds the file to the BMP loader; null when it is no readable BMP. Naming the type spares the
// toolkit its guess at the file's type, which maps the system's whole MIME database into the
// process: as much resident memory as the rest of the picture costs.
GdkPixbuf* LoadBmp(const char* path) {
  FILE* file = fopen(path, "rb");
  if (!file) return nullptr;
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("bmp", nullptr);
  bool written = loader != nullptr;
  guchar chunk[16384];
  size_t n;
  while (written && (n = fread(chunk, 1, sizeof(chunk), file)) > 0)
    written = gdk_pixbuf_loader_write(loader, chunk, n, nullptr);  // a failed write closes the loader
  bool read = !ferror(file);
  fclose(file);
  if (!loader) return nullptr;
  GdkPixbuf* picture = nullptr;
  if (written && gdk_pixbuf_loader_close(loader, nullptr) && read)
    picture = gdk_pixbuf_loader_get_pixbuf(loader);
  if (picture) g_object_ref(picture);
  g_object_unref(loader);
  return picture;
}

// The installed picture is a BMP; a picture of any other type still loads, with the type guessed.
GdkPixbuf* LoadPicture(const char* path) {
  if (GdkPixbuf* picture = LoadBmp(path)) return picture;
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
