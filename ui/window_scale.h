// How large the window is drawn. GTK+ 2 does not scale: on a screen of 144 dpi or more (as GDK
// reports it, from Xft.dpi or else the X server's size) the window, its picture, the button
// positions, the radio indicators and the status line are drawn at twice their size. Below that
// everything is exactly as at 96 dpi.
//
// Thread rules: main thread only; the scale is chosen once the toolkit is initialised.
#ifndef VELMORA_UI_WINDOW_SCALE_H_
#define VELMORA_UI_WINDOW_SCALE_H_

#include <string>

// 2 for a resolution of 144 dpi or more, else 1 (also for an unknown one, 0 or less).
int ScaleForResolution(double dpi);

// Chooses the scale from the default screen's resolution and, at 2, doubles the radio indicators
// of every widget named kFingerButtonName. Gives the scale, which WindowScale() reports from then.
int ChooseWindowScale();

// The scale last chosen; 1 before any choice.
int WindowScale();

// The picture drawn for `scale`: `path` itself at 1, and at 2 the file beside it with "@2x" before
// its extension ("hands.bmp" gives "hands@2x.bmp").
std::string PictureForScale(const std::string& path, int scale);

// The widget name that the finger buttons carry, so that the doubled indicators apply to them alone.
extern const char kFingerButtonName[];

#endif  // VELMORA_UI_WINDOW_SCALE_H_
