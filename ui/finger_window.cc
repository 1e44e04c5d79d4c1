#include "ui/finger_window.h"

#include <stdlib.h>

#include "capture/capture_state.h"
#include "capture/capture_worker.h"
#include "install_paths.h"
#include "ui/default_finger.h"
#include "ui/finger_accessibility.h"
#include "ui/finger_buttons.h"
#include "ui/finger_keys.h"
#include "ui/hand_background.h"
#include "ui/main_thread_mail.h"
#include "ui/status_line.h"
#include "ui/translation.h"
#include "ui/window_scale.h"
#include "units/prompt_sink.h"
#include "units/unit_list.h"

namespace {

// The window is destroyed only when the user closes it.
void OnWindowDestroy(GtkWidget* /*window*/, gpointer /*data*/) {
  gtk_main_quit();
  if (BioUnit* unit = UnitListFirst()) unit->Disconnect();
}

// A reader's prompt is shown through the catalogue as well, so that the prompts of our own plug-ins
// appear in the person's language.
void OnMail(MailKind kind, const char* text) {
  switch (kind) {
    case MailKind::kEndLoop:
      gtk_main_quit();
      break;
    case MailKind::kCaptureFailed:
      ShowStatus(_(kCaptureFailedText));
      break;
    case MailKind::kPrompt:
      ShowStatus(text[0] != '\0' ? _(text) : text);
      break;
  }
}

// Called on the plug-in's thread with the program's own copy of the text.
void PostPrompt(uint32_t /*unitId*/, const char* text) { PostMail(MailKind::kPrompt, text); }

void PostCaptureFailed() { PostMail(MailKind::kCaptureFailed, nullptr); }

void CreateWindow(FingerWindow* table, int scale) {
  table->window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(table->window), "Fingerprint Capture");
  gtk_widget_set_size_request(table->window, kWindowWidth * scale, kWindowHeight * scale);
  gtk_window_set_resizable(GTK_WINDOW(table->window), FALSE);
  g_signal_connect(table->window, "destroy", G_CALLBACK(OnWindowDestroy), nullptr);
  gtk_window_set_position(GTK_WINDOW(table->window), GTK_WIN_POS_CENTER_ALWAYS);
  gtk_container_set_border_width(GTK_CONTAINER(table->window), 0);
  table->fixed = gtk_fixed_new();
  gtk_container_add(GTK_CONTAINER(table->window), table->fixed);
}

// Also where assistive technology and the keyboard start: the shown buttons form the group that a
// screen reader announces, and the focus starts on the chosen finger.
void PlaceEnrolledFingers(FingerWindow* table) {
  const CaptureState& state = TheCaptureState();
  for (int32_t i = 0; i < state.EnrollmentSize(); ++i) PlaceFingerButton(table, state.Enrolled()[i]);
  RelateShownFingerButtons(table);
  FingerNumber chosen = ChooseDefaultFinger(state.Enrolled(), state.EnrollmentSize());
  SelectFingerButton(table, chosen);
  FocusStartingFinger(table, chosen);
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
  WatchMainThreadMail(OnMail);
  SetPromptHandler(PostPrompt);
  int scale = ChooseWindowScale();
  CreateWindow(table, scale);
  InstallHandBackground(table->window, PictureForScale(picturePath, scale).c_str());
  CreateStatusLine(table->fixed, scale);
  ShowStatus(UnitListCount() > 0 ? _(kChooseFingerText) : _(kNoReaderText));
  CreateFingerButtons(table);
  ConnectFingerKeys(table);
  PlaceEnrolledFingers(table);
  ShowWindow(table);
  return true;
}

void RunFingerWindow() {
  // A worker that could not end the loop is not started: the window then runs without one.
  if (long units = UnitListCount(); units > 0 && WatchMainThreadMail(OnMail))
    StartCaptureWorker(static_cast<int32_t>(units), {PostEndLoop, PostCaptureFailed});
  gtk_main();
}

void EndFingerWindowLoop() { PostEndLoop(); }
