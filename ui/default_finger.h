// The finger that the window selects before the user has clicked anything.
//
// A pure function over the enrolled list; any thread may call it.
#ifndef VELMORA_UI_DEFAULT_FINGER_H_
#define VELMORA_UI_DEFAULT_FINGER_H_

#include <stdint.h>

#include "capture/finger_number.h"

// The left index finger (7) wins wherever it stands in the list, then the right index finger (2);
// otherwise the first entry when it is a finger (1 to 10), later entries unread. 0 when no finger
// is chosen: an empty list (count 0 or less), or neither 7 nor 2 and a first entry outside 1 to 10.
FingerNumber ChooseDefaultFinger(const uint8_t* enrolled, int32_t count);

#endif  // VELMORA_UI_DEFAULT_FINGER_H_
