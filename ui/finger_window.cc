#include "ui/finger_window.h"

#include <stdlib.h>

#include "capture/capture_state.h"
#include "capture/capture_worker.h"
#include "ui/default_finger.h"
#include "ui/finger_buttons.h"
#include "ui/hand_background.h"
#include "units/unit_list.h"

const char kHandPicturePath[] = "/usr/lib/Velmora/hands.bmp";

namespace {

// The window is destroyed only when the user closes it.
void OnWindowDestroy(GtkWidget* /*window*/, gpointer /*data*/) {
  gtk_main_quit();
  if (BioUnit* unit = UnitListFirst()) unit->Disconnect();
}

gboolean QuitMainLoop(gpointer /*data*/) {
  gtk_main_quit();
  return FALSE;
}

void CreateWindow(FingerWindow* table) {
  table->window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(table->window), "Fingerprint Capture");
  gtk_widget_set_size_request(table->window, kWindowWidth, kWindowHeight);
  gtk_window_set_resizable(GTK_WINDOW(table->window), FALSE);
  g_signal_connect(table->window, "destroy", G_CALLBACK(OnWindowDestroy), nullptr);
  gtk_window_set_position(GTK_WINDOW(table->window), GTK_WIN_POS_CENTER_ALWAYS);
  gtk_container_set_border_width(GTK_CONTAINER(table->window), 0);
  table->fixed = gtk_fixed_new();
  gtk_container_add(GTK_CONTAINER(table->window), table->fixed);
}

void PlaceEnrolledFingers(FingerWindow* table) {
  const CaptureState& state = TheCaptureState();
  for (int32_t i = 0; i < state.EnrollmentSize(); ++i) PlaceFingerButton(table, state.Enrolled()[i]);
  SelectFingerButton(table, ChooseDefaultFinger(state.Enrolled(), state.EnrollmentSize()));
}

void ShowWindow(FingerWindow* table) {
  gtk_widget_show(table->fixed);
  for (GtkWidget* button : table->fingerButtons) gtk_widget_show(button);
  gtk_widget_show_all(table->window);
}

}  // namespace

void BuildAndRunFingerWindow(FingerWindow** widgets) {
  if (BuildFingerWindow(widgets, kHandPicturePath)) RunFingerWindow();
}

bool BuildFingerWindow(FingerWindow** widgets, const char* picturePath) {
  FingerWindow* table = static_cast<FingerWindow*>(calloc(1, sizeof(FingerWindow)));
  *widgets = table;
  if (!table) return false;
  gtk_init(nullptr, nullptr);
  // The window has no tooltips. With them on, the first pointer event over the window builds the
  // toolkit's tooltip window, which costs about as much as the ten finger buttons.
  g_object_set(gtk_settings_get_default(), "gtk-enable-tooltips", FALSE, nullptr);
  CreateWindow(table);
  InstallHandBackground(table->window, picturePath);
  CreateFingerButtons(table);
  PlaceEnrolledFingers(table);
  ShowWindow(table);
  return true;
}

void RunFingerWindow() {
  if (long units = UnitListCount(); units > 0)
    StartCaptureWorker(static_cast<int32_t>(units), EndFingerWindowLoop);
  gtk_main();
}

// Called on the worker thread. An idle source is safe to add from there, and one queued before
// gtk_main starts runs as soon as the loop does, so an early request is not lost. It runs at the
// priority of events rather than of idle work: the capture is over and the window is about to
// go, so the loop ends without first repainting it.
void EndFingerWindowLoop() { g_idle_add_full(G_PRIORITY_DEFAULT, QuitMainLoop, nullptr, nullptr); }
