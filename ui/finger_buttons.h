// The ten finger buttons of the window: creation, handlers, placement and the default choice.
//
// All ten buttons form one radio group whatever the enrolled list holds; only the enrolled ones
// are put into the fixed and so shown. Each button carries its finger number as the object datum
// "id" and an accessible name and id (finger_accessibility.h).
//
// Thread rules: main thread only.
#ifndef VELMORA_UI_FINGER_BUTTONS_H_
#define VELMORA_UI_FINGER_BUTTONS_H_

#include "capture/finger_number.h"

struct FingerWindow;

// Creates the ten label-less radio buttons in kFingerCreationOrder, the first opening the group,
// then connects each one's "clicked" signal to the finger handler. No handler runs meanwhile.
void CreateFingerButtons(FingerWindow* table);

// Puts `finger`'s button into the fixed at its position, times WindowScale(). Does nothing for a number
// outside 1 to 10 or a button that is already placed.
void PlaceFingerButton(FingerWindow* table, FingerNumber finger);

// Selects `finger` as a user click would: its button becomes the group's active member and its
// handler runs once with it active. Does nothing for 0. `finger` must have been placed.
void SelectFingerButton(FingerWindow* table, FingerNumber finger);

#endif  // VELMORA_UI_FINGER_BUTTONS_H_
