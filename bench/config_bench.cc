// What reading the configuration root costs: lookups that hit and miss in a typical plug-in entry
// and in a settings file of 1 MiB, the walk over a large root directory, and one entry's open,
// read and close.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "config/config_store.h"
#include "tests/support/scoped_temp_dir.h"

using namespace velmora::test;  // the shared test support

namespace velmora::config {
namespace {

constexpr char kPluginEntry[] =
    "# Reader plug-in\n"
    "Description: Optical reader, USB\n"
    "Vendor: 0x1d2f\n"
    "Name: /usr/lib/Velmora/libfpx-optical.so\n"
    "Version: 1.4.2\n"
    "Type: 1\n";

// A handle on a settings file that lives as long as the benchmark.
struct StoreFixture {
  ScopedTempDir dir;
  ConfigHandle* handle = nullptr;
  explicit StoreFixture(const std::string& text) { handle = ConfigOpen(dir.Write("store", text).c_str()); }
  ~StoreFixture() { ConfigClose(handle); }
};

// A settings file of about 1 MiB: 16,384 lines of 64 bytes, comments and other keys, with the
// plug-in entry's lines last.
std::string LargeStore() {
  std::string text;
  char line[80];
  for (int i = 0; text.size() + sizeof(kPluginEntry) < (1 << 20); ++i) {
    if (i % 8 == 0)
      snprintf(line, sizeof(line), "# comment line %06d, padded to sixty-four bytes..............\n", i);
    else
      snprintf(line, sizeof(line), "Setting%06d: value of the setting, padded to sixty-four......\n", i);
    text += line;
  }
  return text + kPluginEntry;
}

// Key lookups as the catalogue makes them (ConfigGetValue, capacity 256), repeated on one handle.
// Either way the file is read once per lookup: a hit from behind its line around to it, a miss
// (which leaves the read position at the end) once from the top.
void BM_Lookup(benchmark::State& state, const char* key, bool large) {
  const std::string text = large ? LargeStore() : std::string(kPluginEntry);
  StoreFixture fixture(text);
  char value[256];
  int result = 0;
  for (auto _ : state) {
    int length = sizeof(value);
    result = ConfigGetValue(fixture.handle, key, value, &length);
    benchmark::DoNotOptimize(result);
  }
  if (result != (strcmp(key, "Name") == 0 ? 0 : -1)) state.SkipWithError("unexpected lookup result");
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
  state.counters["file_bytes"] = static_cast<double>(text.size());
}

BENCHMARK_CAPTURE(BM_Lookup, hit_small, "Name", false);
BENCHMARK_CAPTURE(BM_Lookup, miss_small, "Missing", false);
BENCHMARK_CAPTURE(BM_Lookup, hit_1MiB, "Name", true);
BENCHMARK_CAPTURE(BM_Lookup, miss_1MiB, "Missing", true);

void BM_GetInt(benchmark::State& state) {
  StoreFixture fixture(kPluginEntry);
  int32_t type = 0;
  for (auto _ : state) benchmark::DoNotOptimize(ConfigGetInt(fixture.handle, "Type", &type));
}
BENCHMARK(BM_GetInt);

// The catalogue's walk: a directory store of 1,000 entries, every name listed.
void BM_EnumerateEntries(benchmark::State& state) {
  constexpr int kEntries = 1000;
  ScopedTempDir dir;
  dir.Write("conf", "Version: 1\n");
  for (int i = 0; i < kEntries; ++i) dir.Write("plugin" + std::to_string(i), kPluginEntry);
  ConfigHandle* handle = ConfigOpen(dir.path().c_str());
  char name[256];
  int count = 0;
  for (auto _ : state) {
    count = 0;
    int length = sizeof(name);
    for (int r = ConfigFirstEntry(handle, name, &length); r == 0;
         r = ConfigNextEntry(handle, name, &length)) {
      ++count;
      length = sizeof(name);
    }
    benchmark::DoNotOptimize(count);
  }
  ConfigClose(handle);
  if (count != kEntries) state.SkipWithError("wrong number of entries");
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_EnumerateEntries);

// Opening an entry, reading its two keys and closing it, as the catalogue does for each entry.
void BM_OpenReadClose(benchmark::State& state) {
  ScopedTempDir dir;
  std::string path = dir.Write("optical", kPluginEntry);
  char value[256];
  int32_t type = 0;
  for (auto _ : state) {
    ConfigHandle* handle = ConfigOpen(path.c_str());
    int length = sizeof(value);
    ConfigGetValue(handle, "Name", value, &length);
    ConfigGetInt(handle, "Type", &type);
    benchmark::DoNotOptimize(ConfigClose(handle));
  }
}
BENCHMARK(BM_OpenReadClose);

}  // namespace
}  // namespace velmora::config
