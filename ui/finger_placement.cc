#include "ui/finger_placement.h"

namespace {

// Indexed by finger number - 1.
constexpr ButtonPosition kPositions[kFingerCount] = {
    {28, 190}, {38, 139}, {60, 129}, {87, 128}, {113, 153},  // right thumb .. little finger
    {85, 70},  {73, 16},  {50, 7},   {23, 5},   {3, 30},     // left thumb .. little finger
};

}  // namespace

const FingerNumber kFingerCreationOrder[kFingerCount] = {6, 7, 8, 9, 10, 1, 2, 3, 4, 5};

bool FingerButtonPosition(FingerNumber finger, ButtonPosition* position) {
  if (!IsFingerNumber(finger)) return false;
  *position = kPositions[finger - 1];
  return true;
}

int FingerButtonEntry(FingerNumber finger) { return kFingerCount - finger; }
