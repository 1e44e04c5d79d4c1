#include "ui/finger_keys.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

FingerNumber Next(std::vector<FingerNumber> shownFingers, FingerNumber from, int steps) {
  bool shown[kFingerCount + 1] = {};
  for (FingerNumber finger : shownFingers) shown[finger] = true;
  return NextShownFinger(shown, from, steps);
}

}  // namespace

// Reading order: the left hand above from its little finger (10) to its thumb (6), then the right
// hand below from its thumb (1) to its little finger (5).
TEST(FingerKeysTest, ArrowsMoveInReadingOrderAmongShownFingersAndWrap) {
  const struct {
    std::vector<FingerNumber> shown;
    FingerNumber from;
    int steps;
    FingerNumber next;
  } cases[] = {
      {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 10, 1, 9},
      {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 6, 1, 1},   // from the upper hand's thumb to the lower's
      {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 5, 1, 10},  // wraps
      {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 10, -1, 5},
      {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 1, -1, 6},
      {{7, 2, 1}, 7, 1, 1},  // unshown fingers are skipped
      {{7, 2, 1}, 1, 1, 2},
      {{7, 2, 1}, 2, 1, 7},
      {{7, 2, 1}, 7, -1, 2},
      {{4}, 4, 1, 4},  // alone: stays
      {{4}, 4, -1, 4},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Next(c.shown, c.from, c.steps), c.next) << int(c.from) << " " << c.steps;
}

TEST(FingerKeysTest, FromNoFingerTheFirstOrLastShownAndNothingWhenNoneIsShown) {
  EXPECT_EQ(Next({7, 2, 1}, 0, 1), 7);
  EXPECT_EQ(Next({7, 2, 1}, 0, -1), 2);
  EXPECT_EQ(Next({7, 2, 1}, 3, 1), 7);  // a finger that is not shown counts as none
  EXPECT_EQ(Next({3, 9}, 0, 1), 9);
  EXPECT_EQ(Next({}, 0, 1), 0);
  EXPECT_EQ(Next({}, 5, -1), 0);
}
