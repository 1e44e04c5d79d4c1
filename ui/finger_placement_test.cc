#include "ui/finger_placement.h"

#include <gtest/gtest.h>

TEST(FingerPlacementTest, PositionsOfTheFingerButtons) {
  const int expected[10][2] = {{28, 190}, {38, 139}, {60, 129}, {87, 128}, {113, 153},
                               {85, 70},  {73, 16},  {50, 7},   {23, 5},   {3, 30}};
  for (int finger = 1; finger <= 10; ++finger) {
    ButtonPosition position{-1, -1};
    ASSERT_TRUE(FingerButtonPosition(finger, &position)) << finger;
    EXPECT_EQ(position.x, expected[finger - 1][0]) << finger;
    EXPECT_EQ(position.y, expected[finger - 1][1]) << finger;
  }
}

TEST(FingerPlacementTest, NumbersOutsideOneToTenHaveNoPosition) {
  ButtonPosition position{-1, -1};
  EXPECT_FALSE(FingerButtonPosition(0, &position));
  EXPECT_FALSE(FingerButtonPosition(11, &position));
  EXPECT_FALSE(FingerButtonPosition(255, &position));
  EXPECT_EQ(position.x, -1);
}

TEST(FingerPlacementTest, TableEntriesRunFromFingerTenToFingerOne) {
  EXPECT_EQ(FingerButtonEntry(10), 0);
  EXPECT_EQ(FingerButtonEntry(6), 4);
  EXPECT_EQ(FingerButtonEntry(1), 9);
  bool seen[10] = {};
  for (FingerNumber finger : kFingerCreationOrder) seen[FingerButtonEntry(finger)] = true;
  for (bool entry : seen) EXPECT_TRUE(entry);
  EXPECT_EQ(kFingerCreationOrder[0], 6);  // opens the radio group
}
