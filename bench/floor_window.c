/* velmora-floor-window: the least that a GTK+ 2 window of the capture window's size costs. It
 * shows a 222 x 270 window and exits as soon as the window is mapped; the start-up benchmark
 * holds the whole capture run against it. Plain C, so that nothing but the toolkit is paid for. */
#include <gtk/gtk.h>

static gboolean OnMapped(GtkWidget* window, GdkEvent* event, gpointer data) {
  (void)window;
  (void)event;
  (void)data;
  gtk_main_quit();
  return FALSE;
}

int main(void) {
  gtk_init(NULL, NULL);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), "Floor");
  gtk_widget_set_size_request(window, 222, 270);
  gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
  g_signal_connect(window, "map-event", G_CALLBACK(OnMapped), NULL);
  gtk_widget_show_all(window);
  gtk_main();
  return 0;
}
