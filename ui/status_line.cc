#include "ui/status_line.h"

#include "ui/finger_placement.h"
#include "ui/translation.h"

const char kChooseFingerText[] = N_("Choose a finger, then place it on the reader");
const char kNoReaderText[] = N_("No fingerprint reader found");
const char kCaptureFailedText[] = N_("The capture failed");

namespace {

GtkWidget* g_StatusLine = nullptr;  // cleared when the label is destroyed

// A tenth smaller than the theme's text, so that two lines hold the longer prompts.
void UseSmallerText(GtkWidget* label) {
  PangoFontDescription* font = pango_font_description_copy(gtk_widget_get_style(label)->font_desc);
  pango_font_description_set_size(font, pango_font_description_get_size(font) * 9 / 10);
  gtk_widget_modify_font(label, font);
  pango_font_description_free(font);
}

void MakeAccessible(GtkWidget* label) {
  AtkObject* accessible = gtk_widget_get_accessible(label);
  atk_object_set_role(accessible, ATK_ROLE_STATUSBAR);
  atk_object_set_accessible_id(accessible, "status");
}

}  // namespace

// A fixed size: a long prompt must not grow the fixed-size window; what does not fit is cut off.
GtkWidget* CreateStatusLine(GtkWidget* fixed, int scale) {
  GtkWidget* label = gtk_label_new(nullptr);
  gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
  gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
  UseSmallerText(label);
  gtk_widget_set_size_request(label, kStatusLineWidth * scale, kStatusLineHeight * scale);
  gtk_fixed_put(GTK_FIXED(fixed), label, kStatusLineX * scale, kStatusLineY * scale);
  MakeAccessible(label);
  gtk_widget_show(label);
  if (g_StatusLine)
    g_object_remove_weak_pointer(G_OBJECT(g_StatusLine), reinterpret_cast<gpointer*>(&g_StatusLine));
  g_StatusLine = label;
  g_object_add_weak_pointer(G_OBJECT(label), reinterpret_cast<gpointer*>(&g_StatusLine));
  return label;
}

void ShowStatus(const char* text) {
  if (!g_StatusLine) return;
  gchar* valid = g_utf8_make_valid(text, -1);
  gtk_label_set_text(GTK_LABEL(g_StatusLine), valid);
  g_free(valid);
}

GtkWidget* StatusLine() { return g_StatusLine; }
