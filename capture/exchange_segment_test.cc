#include "capture/exchange_segment.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <string.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include "capture/capture_exchange.h"
#include "tests/support/own_segment.h"

using namespace velmora::test;  // the shared test support

namespace {

// The parent's side is played with the system calls themselves, of any size.
class ExchangeSegmentTest : public OwnSegmentTest {
 protected:
  void Create(size_t size) {
    m_Shmid = shmget(Key(), size, IPC_CREAT | IPC_EXCL | 0600);
    ASSERT_GE(m_Shmid, 0) << strerror(errno);
    void* address = shmat(m_Shmid, nullptr, 0);
    ASSERT_NE(address, reinterpret_cast<void*>(-1)) << strerror(errno);
    m_ParentView = static_cast<CaptureExchange*>(address);
  }
};

TEST_F(ExchangeSegmentTest, MissingSegmentIsNotFound) {
  EXPECT_EQ(ExchangeLookup(Key()), -1);
  EXPECT_EQ(errno, ENOENT);
}

TEST_F(ExchangeSegmentTest, SmallerSegmentIsRefused) {
  Create(kExchangeSize - 4);
  EXPECT_EQ(ExchangeLookup(Key()), -1);
  EXPECT_EQ(errno, EINVAL);
}

TEST_F(ExchangeSegmentTest, AttachOfInvalidIdFails) {
  errno = 0;
  EXPECT_EQ(ExchangeAttach(-1), nullptr);
  EXPECT_EQ(errno, EINVAL);
}

TEST_F(ExchangeSegmentTest, RequestAndResultCrossTheSegment) {
  Create(kExchangeSize);
  memset(m_ParentView, 0, kExchangeSize);
  m_ParentView->enrollmentSize = 2;
  m_ParentView->enrolled[0] = 7;
  m_ParentView->enrolled[1] = 2;

  int shmid = ExchangeLookup(Key());
  ASSERT_EQ(shmid, m_Shmid);
  CaptureExchange* program = ExchangeAttach(shmid);
  ASSERT_NE(program, nullptr) << strerror(errno);
  ExchangeRequest request = ExchangeReadRequest(program);
  EXPECT_EQ(request.count, 2);
  EXPECT_EQ(request.enrolled[0], 7);
  EXPECT_EQ(request.enrolled[1], 2);

  ExchangeWriteResult(program, reinterpret_cast<const unsigned char*>("ridge"), 5, 2, 1);
  ExchangeMarkDone(program);
  shmdt(program);

  EXPECT_STREQ(reinterpret_cast<char*>(m_ParentView->sample), "ridge");
  EXPECT_EQ(m_ParentView->SampleSize, 5);
  EXPECT_EQ(m_ParentView->selected, 2);
  EXPECT_EQ(m_ParentView->UnitCount, 1);
  EXPECT_EQ(m_ParentView->bIsScanDone, 1);
  EXPECT_EQ(m_ParentView->doneCompanion, 0);
}

// The creator decides, whoever owns the segment now; the mode only warns.
TEST_F(ExchangeSegmentTest, TrustFollowsTheCreatorAndTheMode) {
  Create(kExchangeSize);
  EXPECT_EQ(ExchangeTrust(m_Shmid), SegmentTrust::kTrusted);

  struct shmid_ds status;
  ASSERT_EQ(shmctl(m_Shmid, IPC_STAT, &status), 0);
  status.shm_perm.mode = 0640;
  status.shm_perm.uid = 65534;
  ASSERT_EQ(shmctl(m_Shmid, IPC_SET, &status), 0) << strerror(errno);
  EXPECT_EQ(ExchangeTrust(m_Shmid), SegmentTrust::kOpen);

  shmctl(m_Shmid, IPC_RMID, nullptr);
  m_Shmid = -1;
  if (getuid() != 0) GTEST_SKIP() << "creating a segment as another user needs root";
  ASSERT_EQ(seteuid(65534), 0) << strerror(errno);
  m_Shmid = shmget(Key(), kExchangeSize, IPC_CREAT | IPC_EXCL | 0600);
  int error = errno;
  ASSERT_EQ(seteuid(0), 0);
  ASSERT_GE(m_Shmid, 0) << strerror(error);
  EXPECT_EQ(ExchangeTrust(m_Shmid), SegmentTrust::kForeign);

  errno = 0;
  EXPECT_EQ(ExchangeTrust(-1), SegmentTrust::kUnknown);
  EXPECT_EQ(errno, EINVAL);
}

}  // namespace
