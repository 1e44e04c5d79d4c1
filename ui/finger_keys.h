// The window's keyboard: Escape closes the window as the window manager's close does, the arrow
// keys move the focus from finger to finger in reading order, Space selects the focused finger
// (the button's own key), and Tab leaves the radio group or enters it.
//
// Reading order is the order in which the eye reads the picture: the left hand above from its
// little finger to its thumb (fingers 10 to 6), then the right hand below from its thumb to its
// little finger (1 to 5). Right and Down move to the next shown finger, Left and Up to the one
// before; both wrap around.
//
// Thread rules: main thread only.
#ifndef VELMORA_UI_FINGER_KEYS_H_
#define VELMORA_UI_FINGER_KEYS_H_

#include "capture/finger_number.h"

struct FingerWindow;

// The shown finger `steps` (1 or -1) away from `from` in reading order, among those whose
// shown[finger] is true (index 0 unused); wraps around. With `from` 0 or not shown: the first
// shown finger for a step forward, the last for a step back. 0 when none is shown.
FingerNumber NextShownFinger(const bool shown[kFingerCount + 1], FingerNumber from, int steps);

// Connects the window's key handler. Call once, after the buttons exist.
void ConnectFingerKeys(FingerWindow* table);

// Puts the focus on `chosen`'s button; with no choice (0), on the group's active member when it is
// shown, else on the first shown finger in reading order. Nothing when no finger is shown.
void FocusStartingFinger(FingerWindow* table, FingerNumber chosen);

#endif  // VELMORA_UI_FINGER_KEYS_H_
