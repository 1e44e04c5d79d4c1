// What reading the configuration root costs: lookups in a typical plug-in entry and the walk over
// a large root directory.
#include <benchmark/benchmark.h>

#include <string>

#include "config/config_store.h"
#include "config/scoped_temp_dir.h"

namespace velmora::config {
namespace {

constexpr char kPluginEntry[] =
    "# Reader plug-in\n"
    "Description: Optical reader, USB\n"
    "Vendor: 0x1d2f\n"
    "Name: /usr/lib/Velmora/libfpx-optical.so\n"
    "Version: 1.4.2\n"
    "Type: 1\n";

// A handle on a typical plug-in entry file that lives as long as the benchmark.
struct EntryFixture {
  ScopedTempDir dir;
  ConfigHandle* handle = nullptr;
  EntryFixture() { handle = ConfigOpen(dir.Write("optical", kPluginEntry).c_str()); }
  ~EntryFixture() { ConfigClose(handle); }
};

void BM_GetValue(benchmark::State& state) {
  EntryFixture fixture;
  char value[256];
  for (auto _ : state) {
    int length = sizeof(value);
    benchmark::DoNotOptimize(ConfigGetValue(fixture.handle, "Name", value, &length));
  }
}
BENCHMARK(BM_GetValue);

void BM_GetInt(benchmark::State& state) {
  EntryFixture fixture;
  int32_t type = 0;
  for (auto _ : state) benchmark::DoNotOptimize(ConfigGetInt(fixture.handle, "Type", &type));
}
BENCHMARK(BM_GetInt);

// A missing key reads the file twice.
void BM_GetValueMissing(benchmark::State& state) {
  EntryFixture fixture;
  char value[256];
  for (auto _ : state) {
    int length = sizeof(value);
    benchmark::DoNotOptimize(ConfigGetValue(fixture.handle, "Missing", value, &length));
  }
}
BENCHMARK(BM_GetValueMissing);

// The catalogue's walk: a root of 200 entries, every name listed.
void BM_EnumerateEntries(benchmark::State& state) {
  ScopedTempDir dir;
  dir.Write("conf", "Version: 1\n");
  for (int i = 0; i < 200; ++i) dir.Write("plugin" + std::to_string(i), kPluginEntry);
  ConfigHandle* handle = ConfigOpen(dir.path().c_str());
  char name[256];
  for (auto _ : state) {
    int count = 0;
    int length = sizeof(name);
    for (int r = ConfigFirstEntry(handle, name, &length); r == 0;
         r = ConfigNextEntry(handle, name, &length)) {
      ++count;
      length = sizeof(name);
    }
    benchmark::DoNotOptimize(count);
  }
  ConfigClose(handle);
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
