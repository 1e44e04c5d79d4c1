// FingerNumber: one finger position, the unit of the enrolled list, the window's buttons and the
// chosen finger. 1-5 are the right thumb to little finger, 6-10 the same on the left hand; other
// values travel in the record but name no finger.
//
// Constants and a constant table; any thread may use them.
#ifndef VELMORA_CAPTURE_FINGER_NUMBER_H_
#define VELMORA_CAPTURE_FINGER_NUMBER_H_

#include <stdint.h>

using FingerNumber = uint8_t;

// The number of finger positions.
constexpr int kFingerCount = 10;

// Whether `value` names a finger position, 1 to 10.
constexpr bool IsFingerNumber(int value) { return value >= 1 && value <= kFingerCount; }

// Gives the English name of a finger position ("Right thumb" for 1 ... "Left little finger" for
// 10), a static string, or null for a value outside 1..10. The capture host's summary and the
// window's accessible names use it, so both speak of a finger in the same words.
const char* FingerName(FingerNumber finger);

#endif  // VELMORA_CAPTURE_FINGER_NUMBER_H_
