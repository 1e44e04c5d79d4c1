// The hand picture as the window's background.
//
// Thread rules: main thread only, after the toolkit has been initialised.
#ifndef VELMORA_UI_HAND_BACKGROUND_H_
#define VELMORA_UI_HAND_BACKGROUND_H_

#include <gtk/gtk.h>

// Loads the picture at `path` and makes it the normal-state background of `window` through a
// fresh style. When the picture cannot be loaded, the window keeps the toolkit's own background
// and one line naming the file goes to standard error. False in that case.
bool InstallHandBackground(GtkWidget* window, const char* path);

#endif  // VELMORA_UI_HAND_BACKGROUND_H_
