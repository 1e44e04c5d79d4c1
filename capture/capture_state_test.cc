#include "capture/capture_state.h"

#include <gtest/gtest.h>

TEST(CaptureStateTest, CopiesTheEnrolledListAndKeepsTheReservedByte) {
  CaptureState state;
  uint8_t source[3] = {7, 2, 1};
  ASSERT_TRUE(state.SetEnrolled(source, 3, 0x5A));
  source[0] = 9;  // the state holds its own copy
  ASSERT_EQ(state.EnrollmentSize(), 3);
  EXPECT_EQ(state.Enrolled()[0], 7);
  EXPECT_EQ(state.Enrolled()[2], 1);
  EXPECT_EQ(state.Reserved(), 0x5A);
}

TEST(CaptureStateTest, AnEmptyOrNegativeListIsValidAndEmpty) {
  CaptureState state;
  uint8_t source[1] = {4};
  ASSERT_TRUE(state.SetEnrolled(source, 0, 0));
  EXPECT_EQ(state.EnrollmentSize(), 0);
  EXPECT_NE(state.Enrolled(), nullptr);
  ASSERT_TRUE(state.SetEnrolled(source, -3, 0));
  EXPECT_EQ(state.EnrollmentSize(), 0);
}

TEST(CaptureStateTest, SampleIsAbsentUntilPublishedThenBothValuesTogether) {
  CaptureState state;
  unsigned char* sample = reinterpret_cast<unsigned char*>(1);
  int32_t size = -1;
  state.GetSample(&sample, &size);
  EXPECT_EQ(sample, nullptr);
  EXPECT_EQ(size, 0);
  unsigned char bytes[4] = "abc";
  state.PublishSample(bytes, 3);
  state.GetSample(&sample, &size);
  EXPECT_EQ(sample, bytes);
  EXPECT_EQ(size, 3);
}

TEST(CaptureStateTest, SelectedFingerStartsAtZero) {
  CaptureState state;
  EXPECT_EQ(state.SelectedFinger(), 0);
  state.SetSelectedFinger(6);
  EXPECT_EQ(state.SelectedFinger(), 6);
}
