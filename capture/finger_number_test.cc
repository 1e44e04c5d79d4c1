#include "capture/finger_number.h"

#include <gtest/gtest.h>

namespace {

TEST(FingerName, NamesTheTenPositions) {
  EXPECT_STREQ(FingerName(1), "Right thumb");
  EXPECT_STREQ(FingerName(2), "Right index finger");
  EXPECT_STREQ(FingerName(5), "Right little finger");
  EXPECT_STREQ(FingerName(6), "Left thumb");
  EXPECT_STREQ(FingerName(7), "Left index finger");
  EXPECT_STREQ(FingerName(10), "Left little finger");
  EXPECT_EQ(FingerName(0), nullptr);
  EXPECT_EQ(FingerName(11), nullptr);
  EXPECT_EQ(FingerName(255), nullptr);
}

TEST(FingerNumber, OneToTenAreFingers) {
  EXPECT_FALSE(IsFingerNumber(0));
  EXPECT_TRUE(IsFingerNumber(1));
  EXPECT_TRUE(IsFingerNumber(kFingerCount));
  EXPECT_FALSE(IsFingerNumber(kFingerCount + 1));
  EXPECT_FALSE(IsFingerNumber(-1));
}

}  // namespace
