// The finger selection window: the hand picture with one radio button on each enrolled finger.
//
// BuildAndRunFingerWindow builds the window from TheCaptureState()'s enrolled list, selects the
// default finger, starts the capture worker when UnitList holds a unit and runs the toolkit's main
// loop until the user closes the window or the worker ends the loop. The button handlers store
// the chosen finger in TheCaptureState(); closing the window disconnects the first unit.
//
// Thread rules: main thread only; it is the only thread that touches widgets.
#ifndef VELMORA_UI_FINGER_WINDOW_H_
#define VELMORA_UI_FINGER_WINDOW_H_

#include <gtk/gtk.h>

#include "ui/finger_placement.h"

// The widget table, allocated once and never released.
struct FingerWindow {
  GtkWidget* window;
  GtkWidget* fixed;
  // Entry k holds the button of finger 10 - k (see FingerButtonEntry).
  GtkWidget* fingerButtons[kFingerCount];
};

// Builds and runs the window; returns when the main loop has ended. Stores the table in *widgets
// (null when it cannot be allocated: then nothing is built and the call returns at once). Ends
// the process with status 1 when the toolkit cannot open the display.
void BuildAndRunFingerWindow(FingerWindow** widgets);

// The first half of BuildAndRunFingerWindow: allocates the table into *widgets, initialises the
// toolkit, builds the window over the picture at `picturePath`, places the enrolled fingers,
// selects the default finger and shows the window. False, with *widgets null and nothing built,
// when the table cannot be allocated. Ends the process with status 1 when the toolkit cannot
// open the display.
bool BuildFingerWindow(FingerWindow** widgets, const char* picturePath);

// The second half: starts the capture worker when UnitList holds a unit, then runs the main loop
// until the user closes the window or EndFingerWindowLoop ends it.
void RunFingerWindow();

// Asks the main loop to end. Safe on any thread; a request made before the loop runs ends the
// loop as soon as it starts. The capture worker's EndMainLoop.
void EndFingerWindowLoop();

#endif  // VELMORA_UI_FINGER_WINDOW_H_
