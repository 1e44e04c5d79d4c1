#include "ui/window_scale.h"

#include <gtk/gtk.h>

namespace {

int g_Scale = 1;

// The toolkit's default theme draws a label-less radio button from these four sizes; doubled, the
// button is twice kButtonSize and its indicator stays centred on the fingertip.
constexpr char kDoubledIndicators[] =
    "style \"velmora-finger-2x\" {\n"
    "  GtkCheckButton::indicator-size = 26\n"
    "  GtkCheckButton::indicator-spacing = 4\n"
    "  GtkWidget::focus-line-width = 2\n"
    "  GtkWidget::focus-padding = 2\n"
    "}\n"
    "widget \"*.velmora-finger\" style \"velmora-finger-2x\"\n";

// GDK's resolution comes from the toolkit's settings (Xft.dpi); without them, the X server's size.
double ScreenResolution(GdkScreen* screen) {
  gtk_settings_get_for_screen(screen);  // sets the screen's resolution from the settings
  double dpi = gdk_screen_get_resolution(screen);
  if (dpi > 0 || gdk_screen_get_height_mm(screen) <= 0) return dpi;
  return gdk_screen_get_height(screen) * 25.4 / gdk_screen_get_height_mm(screen);
}

}  // namespace

const char kFingerButtonName[] = "velmora-finger";

int ScaleForResolution(double dpi) { return dpi >= 144 ? 2 : 1; }

int ChooseWindowScale() {
  g_Scale = ScaleForResolution(ScreenResolution(gdk_screen_get_default()));
  if (g_Scale == 2) gtk_rc_parse_string(kDoubledIndicators);
  return g_Scale;
}

int WindowScale() { return g_Scale; }

std::string PictureForScale(const std::string& path, int scale) {
  if (scale == 1) return path;
  size_t slash = path.rfind('/');
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = path.size();
  return path.substr(0, dot) + "@" + std::to_string(scale) + "x" + path.substr(dot);
}
