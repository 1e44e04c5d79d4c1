// Where each finger's button sits over the hand picture, and how the window's widget table and
// its creation order relate to finger numbers.
//
// Both the window and the picture generator use these positions, so the buttons and the drawn
// fingertips cannot drift apart. Constant tables; any thread may read them.
#ifndef VELMORA_UI_FINGER_PLACEMENT_H_
#define VELMORA_UI_FINGER_PLACEMENT_H_

#include "capture/finger_number.h"

// The window's inside, which the picture fills exactly.
constexpr int kWindowWidth = 222;
constexpr int kWindowHeight = 270;

// A label-less radio button's size as the toolkit's own theme lays it out (indicator, spacing and
// focus line); the fingertip under a button lies at its position plus half of this.
constexpr int kButtonSize = 21;

// The status line's box below the hands; the picture leaves it free of hands.
constexpr int kStatusLineX = 6;
constexpr int kStatusLineY = 234;
constexpr int kStatusLineWidth = 210;
constexpr int kStatusLineHeight = 34;

// Pixels from the top-left corner of the window's inside: the x and y of gtk_fixed_put.
struct ButtonPosition {
  int x;
  int y;
};

// True and the button's position for fingers 1 to 10; false for any other number.
bool FingerButtonPosition(FingerNumber finger, ButtonPosition* position);

// The entry of the window's button table that holds `finger`'s button (1 to 10): 10 - finger.
int FingerButtonEntry(FingerNumber finger);

// The order in which the buttons are created and their handlers connected: the left hand's
// fingers 6-10 first, then the right hand's 1-5. The first opens the radio group.
extern const FingerNumber kFingerCreationOrder[kFingerCount];

#endif  // VELMORA_UI_FINGER_PLACEMENT_H_
