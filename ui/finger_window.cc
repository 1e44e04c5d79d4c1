#include "ui/finger_window.h"

#include <glib-unix.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/eventfd.h>

#include "capture/capture_state.h"
#include "capture/capture_worker.h"
#include "install_paths.h"
#include "ui/default_finger.h"
#include "ui/finger_buttons.h"
#include "ui/hand_background.h"
#include "units/unit_list.h"

namespace {

// The window is destroyed only when the user closes it.
void OnWindowDestroy(GtkWidget* /*window*/, gpointer /*data*/) {
  gtk_main_quit();
  if (BioUnit* unit = UnitListFirst()) unit->Disconnect();
}

// The worker's requests to end the loop: an eventfd that a source of the main thread watches.
// Only the counter crosses threads, never an object of the toolkit, and the write on one side and
// the read on the other order the two threads for any observer, the thread sanitizer included.
int g_EndLoopFd = -1;

gboolean OnEndLoopRequest(gint fd, GIOCondition /*condition*/, gpointer /*data*/) {
  eventfd_t requests;
  if (eventfd_read(fd, &requests) == 0) gtk_main_quit();
  return G_SOURCE_CONTINUE;
}

// Made once, on the main thread, before any worker can ask. A request written before the loop
// runs is seen as soon as it does. The source runs at the priority of events rather than of idle
// work: the capture is over and the window is about to go, so the loop ends without first
// repainting it.
bool WatchEndLoopRequests() {
  if (g_EndLoopFd != -1) return true;
  int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (fd == -1) {
    perror("eventfd");
    return false;
  }
  g_unix_fd_add_full(G_PRIORITY_DEFAULT, fd, G_IO_IN, OnEndLoopRequest, nullptr, nullptr);
  g_EndLoopFd = fd;
  return true;
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
  WatchEndLoopRequests();
  CreateWindow(table);
  InstallHandBackground(table->window, picturePath);
  CreateFingerButtons(table);
  PlaceEnrolledFingers(table);
  ShowWindow(table);
  return true;
}

void RunFingerWindow() {
  // A worker that could not end the loop is not started: the window then runs without one.
  if (long units = UnitListCount(); units > 0 && WatchEndLoopRequests())
    StartCaptureWorker(static_cast<int32_t>(units), EndFingerWindowLoop);
  gtk_main();
}

// Called on the worker thread; writing to the eventfd is safe there. A failed write can only mean
// a full counter, which holds a request already.
void EndFingerWindowLoop() {
  if (g_EndLoopFd != -1) eventfd_write(g_EndLoopFd, 1);
}
