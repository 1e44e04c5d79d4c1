// The store's allocations: which paths allocate nothing, and what every failed allocation of an
// open and of a rewrite leads to. The allocator below the store is the fault-injecting one of
// tests/fault, which also keeps the blocks allocated under an injection on record, so a block
// still live once the handle is closed is a leak (LeakSanitizer's check in sanitized builds).
#include <gtest/gtest.h>
#include <stddef.h>
#include <sys/stat.h>

#include <set>
#include <string>
#include <vector>

#include "config/config_store.h"
#include "process/open_descriptors.h"
#include "tests/fault/fault_alloc.h"
#include "tests/fault/fault_loop.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/store_handle.h"

using namespace velmora::test;  // the shared test support

namespace velmora::config {
namespace {

using fault::AllocationFault;
using fault::FaultMode;

// Every lookup and enumeration once over `handle`; gives a checksum so nothing is left out.
int ExerciseReads(ConfigHandle* handle) {
  char value[256];
  int length = sizeof(value);
  int32_t number = 0;
  ConfigItem item;
  int sum = ConfigGetValue(handle, "Name", value, &length);
  length = sizeof(value);
  sum += ConfigGetValue(handle, "Missing", value, &length);
  sum += ConfigGetFirstValue(handle, "Type", value, &length);
  sum += ConfigGetNextValue(handle, "Type", value, &length);
  sum += ConfigGetInt(handle, "Type", &number) + number;
  for (int r = ConfigFirstKey(handle, &item); r == 0; r = ConfigNextKey(handle, &item)) ++sum;
  length = sizeof(value);
  for (int r = ConfigFirstEntry(handle, value, &length); r == 0;
       r = ConfigNextEntry(handle, value, &length)) {
    ++sum;
    length = sizeof(value);
  }
  return sum;
}

TEST(ConfigAllocation, LookupsAndEnumerationsAllocateNothing) {
  ScopedTempDir dir;
  dir.Write("conf", "# units\nName: /usr/lib/plug.so\nType: 3\n" + std::string(3000, 'x') + "\n");
  for (int i = 0; i < 20; ++i) dir.Write("entry" + std::to_string(i), "");
  Handle h = Open(dir.path());
  ASSERT_TRUE(h);
  fault::CountAllocations(true);
  int first = ExerciseReads(h.get());
  int second = ExerciseReads(h.get());
  fault::CountAllocations(false);
  EXPECT_EQ(fault::AllocationsCounted(), 0u);
  // Two misses (-2), Type as 3, two key lines and twenty entries.
  EXPECT_EQ(first, 23);
  EXPECT_EQ(second, first);
}

TEST(ConfigAllocation, ReadsAfterARewriteAllocateNothing) {
  ScopedTempDir dir;
  Handle h = Open(dir.Write("store", "Name: a\nType: 1\n"));
  ASSERT_EQ(ConfigSetInt(h.get(), "Type", 3), 0);
  fault::CountAllocations(true);
  int sum = ExerciseReads(h.get());
  fault::CountAllocations(false);
  EXPECT_EQ(fault::AllocationsCounted(), 0u);
  EXPECT_EQ(sum, 3);  // two misses, Type as 3, two key lines
}

// Without its path copy a handle still reads, but neither writes nor passes the writable open.
TEST(ConfigAllocation, HandleWithoutPathCopyReadsButNeverWrites) {
  ScopedTempDir dir;
  std::string name(249 - dir.path().size(), 'p');
  std::string path = dir.Write(name, "Type: 1\n");
  ASSERT_EQ(path.size(), 250u);
  fault::FailAllocationsOfSize(path.size() + 1);
  Handle h = Open(path);
  ConfigHandle* writable = ConfigOpenWritable(path.c_str());
  fault::FailAllocationsOfSize(0);
  EXPECT_EQ(writable, nullptr);
  ASSERT_TRUE(h);
  EXPECT_EQ(Find(h.get(), "Type"), "1");
  EXPECT_EQ(ConfigSetInt(h.get(), "Type", 2), -1);
  EXPECT_EQ(Find(h.get(), "Type"), "1");
  EXPECT_EQ(dir.Read(path), "Type: 1\n");
}

constexpr char kOld[] = "# settings\nName: lib.so\nType: 1\n";
constexpr char kNew[] = "# settings\nName: lib.so\nType: 3\n";

class ConfigFaultTest : public testing::TestWithParam<FaultMode> {
 protected:
  void TearDown() override { fault::ExpectNoLeak(); }
  ScopedTempDir m_Dir;
};

// Every failed allocation of an open gives no handle, or a handle that reads all the same (a
// failed path copy); whatever was acquired is released.
TEST_P(ConfigFaultTest, OpenGivesNothingOrAHandleThatReads) {
  m_Dir.Write("conf", "Type: 3\n");
  m_Dir.Write("plug", "Type: 1\n");
  m_Dir.Write("other", "");
  const std::multiset<std::string> kEntries = {"other", "plug"};
  for (const std::string& path : {m_Dir.path(), m_Dir.Path("plug")}) {
    bool isDirectory = path == m_Dir.path();
    SCOPED_TRACE(path);
    size_t points = fault::ForEachFaultPoint(GetParam(), [&](size_t n) {
      long descriptors = CountOpenDescriptors();
      AllocationFault fault(n, GetParam());
      ConfigHandle* handle = ConfigOpen(path.c_str());
      bool struck = fault.Stop();
      if (handle != nullptr) {
        EXPECT_EQ(Find(handle, "Type"), isDirectory ? "3" : "1");
        EXPECT_EQ(Entries(handle), isDirectory ? kEntries : std::multiset<std::string>());
        EXPECT_EQ(ConfigClose(handle), 0);
      } else {
        EXPECT_TRUE(struck) << "no handle, yet no allocation failed";
      }
      EXPECT_EQ(CountOpenDescriptors(), descriptors);
      EXPECT_EQ(fault.LiveBlocks(), 0u);
      return struck;
    });
    // The handle and the path copy at least, in every build.
    EXPECT_GE(points, 2u);
    printf("ConfigOpen (%s, %s): %zu fault points\n", isDirectory ? "directory" : "file",
           fault::ModeName(GetParam()), points);
  }
}

// Every failed allocation of a rewrite leaves the file as it was, byte for byte, and the handle
// reading it, or the rewrite is whole; no temporary file stays either way.
TEST_P(ConfigFaultTest, RewriteLeavesTheFileAsItWasOrRewritesItWhole) {
  size_t points = fault::ForEachFaultPoint(GetParam(), [&](size_t n) {
    long descriptors = CountOpenDescriptors();
    Handle handle = Open(m_Dir.Write("store", kOld, 0640));
    EXPECT_TRUE(handle);
    if (!handle) return false;
    AllocationFault fault(n, GetParam());
    int result = ConfigSetValue(handle.get(), "Type", "3", 1);
    bool struck = fault.Stop();
    if (result == 0) {
      EXPECT_EQ(m_Dir.Read("store"), kNew);
      EXPECT_EQ(Find(handle.get(), "Type"), "3");
    } else {
      EXPECT_EQ(result, -1);
      EXPECT_TRUE(struck) << "failed, yet no allocation failed";
      EXPECT_EQ(m_Dir.Read("store"), kOld);
      EXPECT_EQ(Find(handle.get(), "Type"), "1");
    }
    struct stat status;
    EXPECT_EQ(stat(m_Dir.Path("store").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(std::vector<std::string>{"store"}, m_Dir.Names());
    EXPECT_EQ(ConfigClose(handle.release()), 0);
    EXPECT_EQ(CountOpenDescriptors(), descriptors);
    EXPECT_EQ(fault.LiveBlocks(), 0u);
    return struck;
  });
  // The copy of the file and the new text at least, in every build.
  EXPECT_GE(points, 2u);
  printf("ConfigSetValue (%s): %zu fault points\n", fault::ModeName(GetParam()), points);
}

INSTANTIATE_TEST_SUITE_P(BothModes, ConfigFaultTest,
                         testing::Values(FaultMode::kOnce, FaultMode::kFromThenOn),
                         [](const testing::TestParamInfo<FaultMode>& info) {
                           return info.param == FaultMode::kOnce ? std::string("Once")
                                                                 : std::string("FromThenOn");
                         });

}  // namespace
}  // namespace velmora::config
