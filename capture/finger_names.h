// Names of the standard finger positions, shared by the capture host's summary and the window's
// accessible names so that both speak of a finger in the same words.
//
// The table is constant; any thread may call.
#ifndef VELMORA_CAPTURE_FINGER_NAMES_H_
#define VELMORA_CAPTURE_FINGER_NAMES_H_

#include "capture/capture_exchange.h"

// Gives the English name of a finger position ("Right thumb" for 1 ... "Left little finger" for
// 10), a static string, or null for a value outside 1..10.
const char* FingerName(FingerNumber finger);

#endif  // VELMORA_CAPTURE_FINGER_NAMES_H_
