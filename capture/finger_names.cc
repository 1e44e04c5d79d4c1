#include "capture/finger_names.h"

namespace {

constexpr const char* kFingerNames[kExchangeMaxEnrolled] = {
    "Right thumb", "Right index finger", "Right middle finger", "Right ring finger", "Right little finger",
    "Left thumb",  "Left index finger",  "Left middle finger",  "Left ring finger",  "Left little finger",
};

}  // namespace

const char* FingerName(FingerNumber finger) {
  if (finger < 1 || finger > kExchangeMaxEnrolled) return nullptr;
  return kFingerNames[finger - 1];
}
