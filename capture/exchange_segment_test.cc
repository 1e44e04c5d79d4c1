#include "capture/exchange_segment.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <string.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include "capture/capture_exchange.h"

namespace {

// A segment of this test's own under a key derived from the process id, playing the parent;
// removed at the end of each test so that no key is left behind.
class ExchangeSegmentTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (parentView_ != nullptr) shmdt(parentView_);
    if (shmid_ >= 0) shmctl(shmid_, IPC_RMID, nullptr);
  }

  int Key() const { return 0x56000000 | (getpid() & 0xFFFFFF); }

  void Create(size_t size) {
    shmid_ = shmget(Key(), size, IPC_CREAT | IPC_EXCL | 0600);
    ASSERT_GE(shmid_, 0) << strerror(errno);
    void* address = shmat(shmid_, nullptr, 0);
    ASSERT_NE(address, reinterpret_cast<void*>(-1)) << strerror(errno);
    parentView_ = static_cast<CaptureExchange*>(address);
  }

  int shmid_ = -1;
  CaptureExchange* parentView_ = nullptr;
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
  memset(parentView_, 0, kExchangeSize);
  parentView_->enrollmentSize = 2;
  parentView_->enrolled[0] = 7;
  parentView_->enrolled[1] = 2;

  int shmid = ExchangeLookup(Key());
  ASSERT_EQ(shmid, shmid_);
  CaptureExchange* program = ExchangeAttach(shmid);
  ASSERT_NE(program, nullptr) << strerror(errno);
  ExchangeRequest request = ExchangeReadRequest(program);
  EXPECT_EQ(request.count, 2);
  EXPECT_EQ(request.enrolled[0], 7);
  EXPECT_EQ(request.enrolled[1], 2);

  ExchangeWriteResult(program, reinterpret_cast<const unsigned char*>("ridge"), 5, 2, 1);
  ExchangeMarkDone(program);
  shmdt(program);

  EXPECT_STREQ(reinterpret_cast<char*>(parentView_->sample), "ridge");
  EXPECT_EQ(parentView_->SampleSize, 5);
  EXPECT_EQ(parentView_->selected, 2);
  EXPECT_EQ(parentView_->UnitCount, 1);
  EXPECT_EQ(parentView_->bIsScanDone, 1);
  EXPECT_EQ(parentView_->doneCompanion, 0);
}

// The creator decides, whoever owns the segment now; the mode only warns.
TEST_F(ExchangeSegmentTest, TrustFollowsTheCreatorAndTheMode) {
  Create(kExchangeSize);
  EXPECT_EQ(ExchangeTrust(shmid_), SegmentTrust::kTrusted);

  struct shmid_ds status;
  ASSERT_EQ(shmctl(shmid_, IPC_STAT, &status), 0);
  status.shm_perm.mode = 0640;
  status.shm_perm.uid = 65534;
  ASSERT_EQ(shmctl(shmid_, IPC_SET, &status), 0) << strerror(errno);
  EXPECT_EQ(ExchangeTrust(shmid_), SegmentTrust::kOpen);

  shmctl(shmid_, IPC_RMID, nullptr);
  shmid_ = -1;
  if (getuid() != 0) GTEST_SKIP() << "creating a segment as another user needs root";
  ASSERT_EQ(seteuid(65534), 0) << strerror(errno);
  shmid_ = shmget(Key(), kExchangeSize, IPC_CREAT | IPC_EXCL | 0600);
  int error = errno;
  ASSERT_EQ(seteuid(0), 0);
  ASSERT_GE(shmid_, 0) << strerror(error);
  EXPECT_EQ(ExchangeTrust(shmid_), SegmentTrust::kForeign);

  errno = 0;
  EXPECT_EQ(ExchangeTrust(-1), SegmentTrust::kUnknown);
  EXPECT_EQ(errno, EINVAL);
}

}  // namespace
