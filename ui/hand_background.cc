#include "ui/hand_background.h"

#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ui/bmp_reader.h"

namespace {

// The picture is a few hundred kilobytes; a file far larger is no picture of ours.
constexpr off_t kMaxPictureBytes = 64L << 20;

// The plain BMP that the build draws, decoded straight from the mapped file into the picture's
// pixels, without the toolkit's loaders and without a copy of the file; null for any other file.
// The file is root's and is replaced by rename, never cut short in place, so the mapping stays
// whole while it is read.
GdkPixbuf* ReadPlainBmp(const char* path) {
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat status;
  bool fits = fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0 &&
              status.st_size <= kMaxPictureBytes;
  void* mapped =
      fits ? mmap(nullptr, static_cast<size_t>(status.st_size), PROT_READ, MAP_PRIVATE, fd, 0) : MAP_FAILED;
  close(fd);
  if (mapped == MAP_FAILED) return nullptr;
  const auto* data = static_cast<const uint8_t*>(mapped);
  auto size = static_cast<size_t>(status.st_size);
  int32_t width = 0, height = 0;
  GdkPixbuf* picture = nullptr;
  if (BmpSize(data, size, &width, &height))
    picture = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height);
  if (picture && !DecodeBmp(data, size, gdk_pixbuf_get_pixels(picture), gdk_pixbuf_get_rowstride(picture))) {
    g_object_unref(picture);
    picture = nullptr;
  }
  munmap(mapped, size);
  return picture;
}

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

// The installed picture is a plain BMP; other BMP kinds go to the toolkit's BMP loader, and a
// picture of any other type still loads, with the type guessed.
GdkPixbuf* LoadPicture(const char* path) {
  if (GdkPixbuf* picture = ReadPlainBmp(path)) return picture;
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
