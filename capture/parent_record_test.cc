// The parent's hold on the record, on real segments under the test's own key: what the program
// finds after the creation, a key that is taken, and what the release leaves behind.
#include "capture/parent_record.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <string.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include "capture/exchange_segment.h"
#include "tests/support/own_segment.h"

using namespace velmora::test;  // the shared test support

namespace {

class ParentRecordTest : public OwnSegmentTest {
 protected:
  void TearDown() override {
    if (m_Held.record != nullptr) shmdt(m_Held.record);
    if (m_Held.shmid >= 0) shmctl(m_Held.shmid, IPC_RMID, nullptr);
    OwnSegmentTest::TearDown();
  }

  // Attaches the segment under the key as the program does; null when there is none.
  CaptureExchange* ProgramView() {
    m_Shmid = ExchangeLookup(Key());
    m_ParentView = m_Shmid < 0 ? nullptr : ExchangeAttach(m_Shmid);
    return m_ParentView;
  }

  ParentRecord m_Held;
};

bool AllZero(const CaptureExchange* record) {
  static const CaptureExchange kZero = {};
  return memcmp(record, &kZero, kExchangeSize) == 0;
}

TEST_F(ParentRecordTest, CreationGivesAZeroedRecordThatTheProgramTrusts) {
  ASSERT_EQ(ParentRecordCreate(Key(), &m_Held), RecordCreation::kCreated) << strerror(errno);
  CaptureExchange* program = ProgramView();
  ASSERT_NE(program, nullptr) << strerror(errno);
  EXPECT_EQ(m_Shmid, m_Held.shmid);
  EXPECT_EQ(ExchangeTrust(m_Shmid), SegmentTrust::kTrusted);
  EXPECT_TRUE(AllZero(program));
  m_Held.record->UnitCount = 4;
  EXPECT_EQ(program->UnitCount, 4) << "one segment, seen by both";
}

TEST_F(ParentRecordTest, ATakenKeyIsLeftAloneWithItsContents) {
  m_Shmid = ExchangeCreate(Key(), 0666);
  ASSERT_GE(m_Shmid, 0) << strerror(errno);
  m_ParentView = ExchangeAttach(m_Shmid);
  ASSERT_NE(m_ParentView, nullptr) << strerror(errno);
  m_ParentView->UnitCount = 77;
  EXPECT_EQ(ParentRecordCreate(Key(), &m_Held), RecordCreation::kExists);
  EXPECT_EQ(m_Held.shmid, -1);
  EXPECT_EQ(m_Held.record, nullptr);
  EXPECT_EQ(ExchangeLookup(Key()), m_Shmid);
  EXPECT_EQ(m_ParentView->UnitCount, 77);
}

TEST_F(ParentRecordTest, ReleaseWipesTheSampleAndFreesTheKey) {
  ASSERT_EQ(ParentRecordCreate(Key(), &m_Held), RecordCreation::kCreated) << strerror(errno);
  ExchangeWriteResult(m_Held.record, reinterpret_cast<const unsigned char*>("ridges"), 6, 3, 1);
  CaptureExchange* program = ProgramView();
  ASSERT_NE(program, nullptr) << strerror(errno);
  int shmid = m_Held.shmid;

  ParentRecordRelease(&m_Held);
  EXPECT_TRUE(AllZero(program)) << "no sample left in the memory that others still map";
  EXPECT_EQ(m_Held.shmid, -1);
  EXPECT_EQ(m_Held.record, nullptr);
  errno = 0;
  EXPECT_EQ(ExchangeLookup(Key()), -1);
  EXPECT_EQ(errno, ENOENT);
  shmid_ds status = {};
  ASSERT_EQ(shmctl(shmid, IPC_STAT, &status), 0) << "gone with the program's attachment only";
  EXPECT_EQ(status.shm_nattch, 1u) << "the parent's own attachment is gone";
  ParentRecordRelease(&m_Held);  // a record not held: nothing happens
}

TEST(ParentRequest, TakesTheFingersInOrderUpToTen) {
  struct Case {
    std::vector<FingerNumber> fingers;
    int32_t count;
  } cases[] = {{{}, 0}, {{7, 2, 1}, 3}, {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 1, 2}, 10}};
  for (const Case& c : cases) {
    ExchangeRequest request = ParentRequest(c.fingers);
    EXPECT_EQ(request.count, c.count);
    EXPECT_EQ(request.enrollmentSize, c.count);
    EXPECT_EQ(request.reserved, 0);
    for (int32_t i = 0; i < c.count; ++i) EXPECT_EQ(request.enrolled[i], c.fingers[i]) << i;
  }
}

}  // namespace
