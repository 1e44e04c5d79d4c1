#include "ui/default_finger.h"

#include <algorithm>

namespace {

bool Contains(const uint8_t* enrolled, int32_t count, FingerNumber finger) {
  return std::find(enrolled, enrolled + count, finger) != enrolled + count;
}

}  // namespace

FingerNumber ChooseDefaultFinger(const uint8_t* enrolled, int32_t count) {
  if (count <= 0) return 0;
  if (Contains(enrolled, count, 7)) return 7;
  if (Contains(enrolled, count, 2)) return 2;
  FingerNumber first = enrolled[0];
  return IsFingerNumber(first) ? first : 0;
}
