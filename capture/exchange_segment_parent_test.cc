// The parent's side of the exchange segment on real segments: create, the request at its offsets,
// detach and remove. The program's side is checked in exchange_segment_test.cc.
#include <errno.h>
#include <gtest/gtest.h>
#include <string.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include "capture/capture_exchange.h"
#include "capture/exchange_segment.h"
#include "tests/support/own_segment.h"

using namespace velmora::test;  // the shared test support

namespace {

// The parent's side is played with the functions under test.
class ExchangeParentTest : public OwnSegmentTest {
 protected:
  // Creates the test's segment through the parent's call and attaches it.
  void CreateAndAttach(int mode) {
    m_Shmid = ExchangeCreate(Key(), mode);
    ASSERT_GE(m_Shmid, 0) << strerror(errno);
    m_ParentView = ExchangeAttach(m_Shmid);
    ASSERT_NE(m_ParentView, nullptr) << strerror(errno);
  }

  // The segment's status as the system keeps it.
  shmid_ds Status(int shmid) const {
    shmid_ds status = {};
    EXPECT_EQ(shmctl(shmid, IPC_STAT, &status), 0) << strerror(errno);
    return status;
  }
};

TEST_F(ExchangeParentTest, CreateRefusesAnExistingKey) {
  CreateAndAttach(0600);
  m_ParentView->UnitCount = 77;
  errno = 0;
  EXPECT_EQ(ExchangeCreate(Key(), 0600), -1);
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(shmget(Key(), 0, 0), m_Shmid) << "the existing segment stays";
  EXPECT_EQ(m_ParentView->UnitCount, 77) << "and keeps its contents";
}

TEST_F(ExchangeParentTest, CreateAppliesTheModeAndTheRecordSize) {
  m_Shmid = ExchangeCreate(Key(), 0640);
  ASSERT_GE(m_Shmid, 0) << strerror(errno);
  shmid_ds status = Status(m_Shmid);
  EXPECT_EQ(status.shm_perm.mode & 0777, 0640u);
  EXPECT_EQ(status.shm_segsz, kExchangeSize);
  EXPECT_EQ(ExchangeTrust(m_Shmid), SegmentTrust::kOpen);
  EXPECT_EQ(ExchangeLookup(Key()), m_Shmid) << "the program finds what the parent made";

  ASSERT_EQ(ExchangeRemove(m_Shmid), 0) << strerror(errno);
  m_Shmid = ExchangeCreate(Key(), 0600);
  ASSERT_GE(m_Shmid, 0) << strerror(errno);
  EXPECT_EQ(Status(m_Shmid).shm_perm.mode & 0777, 0600u);
  EXPECT_EQ(ExchangeTrust(m_Shmid), SegmentTrust::kTrusted);
}

// The offsets are checked as raw bytes, independently of the record's declaration.
TEST_F(ExchangeParentTest, RequestLandsAtTheParentsOffsets) {
  CreateAndAttach(0600);
  memset(m_ParentView, 0xEE, kExchangeSize);
  ExchangeWriteRequest(m_ParentView, ExchangeRequest{3, 3, {7, 2, 1}, 0x5A});

  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(m_ParentView);
  const unsigned char size[] = {3, 0, 0, 0};  // little-endian 32-bit
  const unsigned char list[] = {7, 2, 1, 0xEE};
  EXPECT_EQ(memcmp(bytes + 260, size, sizeof size), 0);
  EXPECT_EQ(memcmp(bytes + 264, list, sizeof list), 0);
  EXPECT_EQ(bytes[273], 0xEE);
  EXPECT_EQ(bytes[274], 0x5A);
  for (size_t offset : {size_t{0}, size_t{259}, size_t{275}, size_t{283}})
    EXPECT_EQ(bytes[offset], 0xEE) << "offset " << offset;

  CaptureExchange* program = ExchangeAttach(ExchangeLookup(Key()));
  ASSERT_NE(program, nullptr) << strerror(errno);
  ExchangeRequest read = ExchangeReadRequest(program);
  EXPECT_EQ(read.count, 3);
  EXPECT_EQ(read.enrolled[1], 2);
  EXPECT_EQ(read.reserved, 0x5A);
  EXPECT_EQ(ExchangeDetach(program), 0) << strerror(errno);
}

TEST_F(ExchangeParentTest, DetachEndsTheAttachment) {
  CreateAndAttach(0600);
  EXPECT_EQ(Status(m_Shmid).shm_nattch, 1u);
  ASSERT_EQ(ExchangeDetach(m_ParentView), 0) << strerror(errno);
  EXPECT_EQ(Status(m_Shmid).shm_nattch, 0u);
  errno = 0;
  EXPECT_EQ(ExchangeDetach(m_ParentView), -1) << "no longer attached";
  EXPECT_EQ(errno, EINVAL);
  m_ParentView = nullptr;
}

TEST_F(ExchangeParentTest, RemoveFreesTheKeyAndTheSegmentGoesWithItsLastAttachment) {
  CreateAndAttach(0600);
  ASSERT_EQ(ExchangeRemove(m_Shmid), 0) << strerror(errno);
  errno = 0;
  EXPECT_EQ(ExchangeLookup(Key()), -1);
  EXPECT_EQ(errno, ENOENT);
  int again = ExchangeCreate(Key(), 0600);
  EXPECT_GE(again, 0) << "the key is free at once: " << strerror(errno);
  EXPECT_NE(again, m_Shmid);
  if (again >= 0) {
    EXPECT_EQ(ExchangeRemove(again), 0);
  }
  m_ParentView->UnitCount = 5;  // still mapped until detached
  EXPECT_EQ(m_ParentView->UnitCount, 5);

  ASSERT_EQ(ExchangeDetach(m_ParentView), 0) << strerror(errno);
  m_ParentView = nullptr;
  shmid_ds status;
  errno = 0;
  EXPECT_EQ(shmctl(m_Shmid, IPC_STAT, &status), -1) << "the segment is gone";
  EXPECT_EQ(errno, EINVAL);
  EXPECT_EQ(ExchangeRemove(m_Shmid), -1);
  EXPECT_EQ(errno, EINVAL);
  m_Shmid = -1;
}

}  // namespace
