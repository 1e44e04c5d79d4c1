#include "capture/thread_ops.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <future>

namespace {

void* ReturnArgument(void* argument) { return argument; }

void* ExitWithArgument(void* argument) {
  ExitThread(argument);
  return nullptr;  // not reached
}

void* ReportDetachState(void* argument) {
  pthread_attr_t attributes;
  int state = -1;
  if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
    pthread_attr_getdetachstate(&attributes, &state);
    pthread_attr_destroy(&attributes);
  }
  static_cast<std::promise<int>*>(argument)->set_value(state);
  return nullptr;
}

void* WaitForCancellation(void*) {
  for (;;) pause();  // a cancellation point
}

}  // namespace

TEST(ThreadOpsTest, JoinableThreadGivesItsResult) {
  pthread_t thread;
  int cell = 0;
  ASSERT_TRUE(StartThread(&thread, 0, ReturnArgument, &cell));
  void* result = nullptr;
  ASSERT_TRUE(JoinThread(thread, &result));
  EXPECT_EQ(result, &cell);
}

TEST(ThreadOpsTest, ExitThreadEndsWithTheGivenResult) {
  pthread_t thread;
  int cell = 0;
  ASSERT_TRUE(StartThread(&thread, 0, ExitWithArgument, &cell));
  void* result = nullptr;
  ASSERT_TRUE(JoinThread(thread, &result));
  EXPECT_EQ(result, &cell);
}

TEST(ThreadOpsTest, BitZeroOfTheFlagsChoosesTheDetachState) {
  // Static: a detached thread may still be inside set_value when the test has its answer.
  static std::promise<int> states[4];
  for (unsigned flags : {0u, kThreadDetached, 2u, 3u}) {
    std::future<int> reported = states[flags].get_future();
    pthread_t thread;
    ASSERT_TRUE(StartThread(&thread, flags, ReportDetachState, &states[flags]));
    int expected = (flags & 1) ? PTHREAD_CREATE_DETACHED : PTHREAD_CREATE_JOINABLE;
    EXPECT_EQ(reported.get(), expected) << "flags " << flags;
    if (!(flags & 1)) JoinThread(thread, nullptr);
  }
}

TEST(ThreadOpsTest, CancelledThreadJoinsAsCancelled) {
  pthread_t thread;
  ASSERT_TRUE(StartThread(&thread, 0, WaitForCancellation, nullptr));
  ASSERT_TRUE(CancelThread(thread));
  void* result = nullptr;
  ASSERT_TRUE(JoinThread(thread, &result));
  EXPECT_EQ(result, PTHREAD_CANCELED);
}
