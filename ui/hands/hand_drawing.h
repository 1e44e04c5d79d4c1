// The hand picture behind the finger buttons: two hands seen from the back, the left hand above
// (thumb at the right, fingers 6-10) and the right hand below (thumb at the left, fingers 1-5).
// Each fingertip lies under the centre of its finger's button.
//
// Thread rules: plain drawing on a caller's context; any thread may call it.
#ifndef VELMORA_UI_HANDS_HAND_DRAWING_H_
#define VELMORA_UI_HANDS_HAND_DRAWING_H_

#include <cairo.h>

// Draws the whole kWindowWidth x kWindowHeight picture, background included, at the origin.
void DrawHands(cairo_t* cr);

#endif  // VELMORA_UI_HANDS_HAND_DRAWING_H_
