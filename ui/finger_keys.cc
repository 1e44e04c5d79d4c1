#include "ui/finger_keys.h"

#include <gdk/gdkkeysyms.h>

#include "ui/finger_window.h"

namespace {

constexpr FingerNumber kReadingOrder[kFingerCount] = {10, 9, 8, 7, 6, 1, 2, 3, 4, 5};

int ReadingIndex(FingerNumber finger) {
  for (int i = 0; i < kFingerCount; ++i)
    if (kReadingOrder[i] == finger) return i;
  return -1;
}

GtkWidget* ButtonOf(FingerWindow* table, FingerNumber finger) {
  return table->fingerButtons[FingerButtonEntry(finger)];
}

void ShownFingers(FingerWindow* table, bool shown[kFingerCount + 1]) {
  shown[0] = false;
  for (FingerNumber finger = 1; finger <= kFingerCount; ++finger)
    shown[finger] = gtk_widget_get_parent(ButtonOf(table, finger)) != nullptr;
}

// The finger whose button has the focus, 0 when the focus is elsewhere or nowhere.
FingerNumber FocusedFinger(FingerWindow* table) {
  GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(table->window));
  for (FingerNumber finger = 1; finger <= kFingerCount; ++finger)
    if (focus != nullptr && focus == ButtonOf(table, finger)) return finger;
  return 0;
}

void FocusFinger(FingerWindow* table, FingerNumber finger) {
  if (finger != 0) gtk_widget_grab_focus(ButtonOf(table, finger));
}

// The window manager's close: a delete event, answered by the toolkit's default (the window is
// destroyed and its destroy handler runs). Queued, so that it is handled after this key.
void CloseAsTheWindowManagerDoes(GtkWidget* window) {
  GdkEvent* event = gdk_event_new(GDK_DELETE);
  event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
  event->any.send_event = TRUE;
  gdk_event_put(event);
  gdk_event_free(event);
}

// The arrows move the focus only; Space, the button's own key, selects.
int ArrowSteps(guint key) {
  if (key == GDK_Right || key == GDK_Down || key == GDK_KP_Right || key == GDK_KP_Down) return 1;
  if (key == GDK_Left || key == GDK_Up || key == GDK_KP_Left || key == GDK_KP_Up) return -1;
  return 0;
}

// Tab from within the group leaves it; nothing else in the window takes the focus, so the next
// Tab enters the group again, at its active member when shown.
void TabAcross(FingerWindow* table, FingerNumber focused) {
  if (focused != 0) return gtk_window_set_focus(GTK_WINDOW(table->window), nullptr);
  FocusStartingFinger(table, 0);
}

gboolean OnKeyPress(GtkWidget* window, GdkEventKey* event, FingerWindow* table) {
  if (event->keyval == GDK_Escape) {
    CloseAsTheWindowManagerDoes(window);
    return TRUE;
  }
  FingerNumber focused = FocusedFinger(table);
  if (event->keyval == GDK_Tab || event->keyval == GDK_ISO_Left_Tab || event->keyval == GDK_KP_Tab) {
    TabAcross(table, focused);
    return TRUE;
  }
  int steps = ArrowSteps(event->keyval);
  if (steps == 0 || focused == 0) return FALSE;
  bool shown[kFingerCount + 1];
  ShownFingers(table, shown);
  FocusFinger(table, NextShownFinger(shown, focused, steps));
  return TRUE;
}

}  // namespace

FingerNumber NextShownFinger(const bool shown[kFingerCount + 1], FingerNumber from, int steps) {
  int at = IsFingerNumber(from) && shown[from] ? ReadingIndex(from) : (steps > 0 ? -1 : kFingerCount);
  for (int tried = 0; tried < kFingerCount; ++tried) {
    at = (at + steps + kFingerCount) % kFingerCount;
    if (shown[kReadingOrder[at]]) return kReadingOrder[at];
  }
  return 0;
}

void ConnectFingerKeys(FingerWindow* table) {
  g_signal_connect(table->window, "key-press-event", G_CALLBACK(OnKeyPress), table);
}

void FocusStartingFinger(FingerWindow* table, FingerNumber chosen) {
  bool shown[kFingerCount + 1];
  ShownFingers(table, shown);
  if (IsFingerNumber(chosen) && shown[chosen]) return FocusFinger(table, chosen);
  for (FingerNumber finger = 1; finger <= kFingerCount; ++finger)
    if (shown[finger] && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(ButtonOf(table, finger))))
      return FocusFinger(table, finger);
  FocusFinger(table, NextShownFinger(shown, 0, 1));
}
