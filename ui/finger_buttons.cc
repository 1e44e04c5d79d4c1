#include "ui/finger_buttons.h"

#include <stdio.h>

#include "capture/capture_state.h"
#include "capture/finger_number.h"
#include "ui/finger_accessibility.h"
#include "ui/finger_window.h"
#include "ui/window_scale.h"

namespace {

GtkWidget*& ButtonOf(FingerWindow* table, FingerNumber finger) {
  return table->fingerButtons[FingerButtonEntry(finger)];
}

// Runs after the radio button's own class handler, so the group's active states are current:
// the member that a switch has just made inactive says nothing.
void OnFingerClicked(FingerWindow* /*table*/, GtkToggleButton* button) {
  if (!gtk_toggle_button_get_active(button)) return;
  int finger = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "id"));
  g_print("The button %d pressed\n", finger);
  TheCaptureState().SetSelectedFinger(finger);
  printf("m_SelectedFinger: %d\n", finger);
}

GtkWidget* NewFingerButton(FingerWindow* table, FingerNumber finger) {
  GtkWidget* first = ButtonOf(table, kFingerCreationOrder[0]);
  GtkWidget* button =
      gtk_radio_button_new(first ? gtk_radio_button_get_group(GTK_RADIO_BUTTON(first)) : nullptr);
  g_object_set_data(G_OBJECT(button), "id", GINT_TO_POINTER(finger));
  gtk_widget_set_name(button, kFingerButtonName);
  DescribeFingerButton(button, finger);
  return button;
}

}  // namespace

void CreateFingerButtons(FingerWindow* table) {
  for (FingerNumber finger : kFingerCreationOrder) ButtonOf(table, finger) = NewFingerButton(table, finger);
  for (FingerNumber finger : kFingerCreationOrder)
    g_signal_connect_swapped(ButtonOf(table, finger), "clicked", G_CALLBACK(OnFingerClicked), table);
}

void PlaceFingerButton(FingerWindow* table, FingerNumber finger) {
  ButtonPosition position;
  if (!FingerButtonPosition(finger, &position)) return;
  GtkWidget* button = ButtonOf(table, finger);
  if (gtk_widget_get_parent(button)) return;  // a finger listed twice is shown once
  int scale = WindowScale();
  gtk_fixed_put(GTK_FIXED(table->fixed), button, position.x * scale, position.y * scale);
}

void SelectFingerButton(FingerWindow* table, FingerNumber finger) {
  if (!IsFingerNumber(finger)) return;
  GtkToggleButton* button = GTK_TOGGLE_BUTTON(ButtonOf(table, finger));
  // Activating the active member emits nothing, so its handler is run here as a click would.
  if (gtk_toggle_button_get_active(button))
    OnFingerClicked(table, button);
  else
    gtk_toggle_button_set_active(button, TRUE);
}
