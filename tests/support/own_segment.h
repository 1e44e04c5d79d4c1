// Test fixture for the exchange segment's tests: the test plays the parent with a segment of its
// own under a key derived from the process id, and whatever the test created is detached and
// removed at the end of each test, so that no key is left behind. Cleaning up uses the system
// calls directly, not the functions under test.
//
// Thread rules: the test's main thread only.
#ifndef VELMORA_TESTS_SUPPORT_OWN_SEGMENT_H_
#define VELMORA_TESTS_SUPPORT_OWN_SEGMENT_H_

#include <gtest/gtest.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include "capture/capture_exchange.h"

namespace velmora::test {

class OwnSegmentTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (m_ParentView != nullptr) shmdt(m_ParentView);
    if (m_Shmid >= 0) shmctl(m_Shmid, IPC_RMID, nullptr);
  }

  // The test's key: no other process uses it while this one lives.
  int Key() const { return 0x56000000 | (getpid() & 0xFFFFFF); }

  int m_Shmid = -1;                         // the test's segment, removed at the end; -1 for none
  CaptureExchange* m_ParentView = nullptr;  // the test's attachment, detached at the end
};

}  // namespace velmora::test

#endif  // VELMORA_TESTS_SUPPORT_OWN_SEGMENT_H_
