// What the catalogue scan costs as the configuration root grows: PluginCatalogueAt over roots of
// 10 to 10,000 plain-file entries, with a fit of the time against the number of entries. The
// scan opens and reads every entry, so its time is meant to grow linearly and no faster.
#include <benchmark/benchmark.h>

#include <string>

#include "tests/support/scoped_temp_dir.h"
#include "units/plugin_catalogue.h"

using namespace velmora::test;  // the shared test support

namespace {

constexpr char kEntry[] =
    "# Reader plug-in\n"
    "Name: /usr/lib/Velmora/plugins/libfpx-optical.so\n"
    "Type: 1\n";

void BM_PluginCatalogue(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  ScopedTempDir root;
  root.Write("conf", "# configuration root\n");
  for (int i = 0; i < entries; ++i) root.Write("reader" + std::to_string(i), kEntry);
  PluginEntryList list;
  for (auto _ : state) {
    PluginCatalogueAt(root.path().c_str(), list);
    benchmark::DoNotOptimize(list.data());
  }
  if (list.size() != static_cast<size_t>(entries)) state.SkipWithError("wrong number of entries");
  state.SetComplexityN(entries);
  state.SetItemsProcessed(state.iterations() * entries);
}
BENCHMARK(BM_PluginCatalogue)
    ->ArgName("entries")
    ->RangeMultiplier(10)
    ->Range(10, 10000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

}  // namespace
