#include "capture/finger_number.h"

namespace {

// Marked for the window's message catalogue (ui/translation.h), which translates them where they
// are shown; the capture host prints them as they are.
#define N_(text) text

constexpr const char* kFingerNames[kFingerCount] = {
    N_("Right thumb"),         N_("Right index finger"), N_("Right middle finger"), N_("Right ring finger"),
    N_("Right little finger"), N_("Left thumb"),         N_("Left index finger"),   N_("Left middle finger"),
    N_("Left ring finger"),    N_("Left little finger"),
};

}  // namespace

const char* FingerName(FingerNumber finger) {
  if (!IsFingerNumber(finger)) return nullptr;
  return kFingerNames[finger - 1];
}
