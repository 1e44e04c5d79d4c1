// Counts the allocations of the store by standing in for malloc, calloc and realloc in this test
// binary. Counting and failing happen only while a test asks for them.
#include <gtest/gtest.h>
#include <stddef.h>
#include <sys/stat.h>

#include <string>

#include "config/config_store.h"
#include "config/config_test_util.h"

extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* block, size_t size);

namespace {

bool g_counting = false;
size_t g_allocations = 0;
size_t g_failSize = 0;  // an allocation of exactly this size fails; 0 for none

// False when the allocation is to fail.
bool Admit(size_t size) {
  if (g_counting) ++g_allocations;
  return g_failSize == 0 || size != g_failSize;
}

}  // namespace

extern "C" void* malloc(size_t size) noexcept { return Admit(size) ? __libc_malloc(size) : nullptr; }
extern "C" void* calloc(size_t count, size_t size) noexcept {
  return Admit(count * size) ? __libc_calloc(count, size) : nullptr;
}
extern "C" void* realloc(void* block, size_t size) noexcept {
  return Admit(size) ? __libc_realloc(block, size) : nullptr;
}

namespace velmora::config {
namespace {

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
  g_allocations = 0;
  g_counting = true;
  int first = ExerciseReads(h.get());
  int second = ExerciseReads(h.get());
  g_counting = false;
  EXPECT_EQ(g_allocations, 0u);
  // Two misses (-2), Type as 3, two key lines and twenty entries.
  EXPECT_EQ(first, 23);
  EXPECT_EQ(second, first);
}

TEST(ConfigAllocation, ReadsAfterARewriteAllocateNothing) {
  ScopedTempDir dir;
  Handle h = Open(dir.Write("store", "Name: a\nType: 1\n"));
  ASSERT_EQ(ConfigSetInt(h.get(), "Type", 3), 0);
  g_allocations = 0;
  g_counting = true;
  int sum = ExerciseReads(h.get());
  g_counting = false;
  EXPECT_EQ(g_allocations, 0u);
  EXPECT_EQ(sum, 3);  // two misses, Type as 3, two key lines
}

// Without its path copy a handle still reads, but neither writes nor passes the writable open.
TEST(ConfigAllocation, HandleWithoutPathCopyReadsButNeverWrites) {
  ScopedTempDir dir;
  std::string name(249 - dir.path().size(), 'p');
  std::string path = dir.Write(name, "Type: 1\n");
  ASSERT_EQ(path.size(), 250u);
  g_failSize = path.size() + 1;
  Handle h = Open(path);
  ConfigHandle* writable = ConfigOpenWritable(path.c_str());
  g_failSize = 0;
  EXPECT_EQ(writable, nullptr);
  ASSERT_TRUE(h);
  EXPECT_EQ(Find(h.get(), "Type"), "1");
  EXPECT_EQ(ConfigSetInt(h.get(), "Type", 2), -1);
  EXPECT_EQ(Find(h.get(), "Type"), "1");
  EXPECT_EQ(dir.Read(path), "Type: 1\n");
}

}  // namespace
}  // namespace velmora::config
