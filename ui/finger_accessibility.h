// How assistive technology meets the finger buttons. Each button's accessible name is its finger's
// name in the person's language ("Right index finger") and its accessible id "finger-N", N its
// finger number, the same in every language. The radio group, as ATK's member-of relation shows
// it, holds the shown buttons only: the toolkit's own group of ten stays as it is, but a screen
// reader must not announce ten members where two are shown.
//
// Thread rules: main thread only.
#ifndef VELMORA_UI_FINGER_ACCESSIBILITY_H_
#define VELMORA_UI_FINGER_ACCESSIBILITY_H_

#include <gtk/gtk.h>

#include "capture/finger_number.h"

struct FingerWindow;

// Sets `button`'s accessible name and id for `finger`.
void DescribeFingerButton(GtkWidget* button, FingerNumber finger);

// Makes the member-of relation of each shown button name exactly the shown buttons, in reading
// order. Call after the enrolled fingers are placed.
void RelateShownFingerButtons(FingerWindow* table);

#endif  // VELMORA_UI_FINGER_ACCESSIBILITY_H_
