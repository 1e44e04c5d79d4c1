#include "ui/default_finger.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

FingerNumber Choose(std::vector<uint8_t> list) {
  return ChooseDefaultFinger(list.data(), static_cast<int32_t>(list.size()));
}

}  // namespace

TEST(DefaultFingerTest, LeftIndexWinsAnywhereThenRightIndex) {
  EXPECT_EQ(Choose({7, 2, 1}), 7);
  EXPECT_EQ(Choose({2, 7}), 7);
  EXPECT_EQ(Choose({1, 3, 7}), 7);
  EXPECT_EQ(Choose({3, 2}), 2);
  EXPECT_EQ(Choose({0, 2}), 2);  // a 2 anywhere wins over an invalid first entry
}

TEST(DefaultFingerTest, OtherwiseTheFirstEntryWhenItIsAFinger) {
  EXPECT_EQ(Choose({4, 9}), 4);
  EXPECT_EQ(Choose({6}), 6);
  EXPECT_EQ(Choose({10, 1}), 10);
  EXPECT_EQ(Choose({1}), 1);
}

TEST(DefaultFingerTest, NoChoiceForAnInvalidFirstEntryOrAnEmptyList) {
  EXPECT_EQ(Choose({0, 3}), 0);
  EXPECT_EQ(Choose({11, 3}), 0);
  EXPECT_EQ(Choose({0, 6}), 0);
  EXPECT_EQ(Choose({}), 0);
  uint8_t list[1] = {7};
  EXPECT_EQ(ChooseDefaultFinger(list, -1), 0);
}
