#include "capture/finger_number.h"

namespace {

constexpr const char* kFingerNames[kFingerCount] = {
    "Right thumb", "Right index finger", "Right middle finger", "Right ring finger", "Right little finger",
    "Left thumb",  "Left index finger",  "Left middle finger",  "Left ring finger",  "Left little finger",
};

}  // namespace

const char* FingerName(FingerNumber finger) {
  if (!IsFingerNumber(finger)) return nullptr;
  return kFingerNames[finger - 1];
}
