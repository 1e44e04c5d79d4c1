// The window's status line: one or two lines under the hands that say what the window waits for,
// what the reader asks of the person, and that a capture failed. Screen readers meet it as a
// status bar with the accessible id "status"; its changes reach them through the label's own text
// and name change events.
//
// Thread rules: main thread only, after the toolkit has been initialised.
#ifndef VELMORA_UI_STATUS_LINE_H_
#define VELMORA_UI_STATUS_LINE_H_

#include <gtk/gtk.h>

// The program's own texts for the line, untranslated (show them through the catalogue).
extern const char kChooseFingerText[];
extern const char kNoReaderText[];
extern const char kCaptureFailedText[];

// Makes the status line and puts it into `fixed` at its place below the hands, `scale` (1 or 2)
// times the size. It becomes the line that ShowStatus writes to.
GtkWidget* CreateStatusLine(GtkWidget* fixed, int scale);

// Shows `text` on the current status line; bytes that are no UTF-8 are shown as replacement
// characters. Does nothing when there is no line or it has been destroyed.
void ShowStatus(const char* text);

// The current status line, null when none or destroyed.
GtkWidget* StatusLine();

#endif  // VELMORA_UI_STATUS_LINE_H_
