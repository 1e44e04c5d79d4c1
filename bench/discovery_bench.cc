// What the program's start-up costs from the catalogue to the units: EnumerateUnitsAt over a root
// of 1, 10 or 100 entries that all name the simulated reader, which reports 1 or 4 units each.
// Each iteration also releases the units again, which unloads the simulator, as the next start of
// the program would find it unloaded.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <string>

#include "tests/support/scoped_temp_dir.h"
#include "units/unit_list.h"

using namespace velmora::test;  // the shared test support

namespace {

// A configuration root whose `entries` entries all name the simulator.
void FillRoot(const ScopedTempDir& root, int entries) {
  root.Write("conf", "# configuration root\n");
  const std::string entry = std::string("Name: ") + FPX_SIMULATOR_SO + "\nType: 1\n";
  for (int i = 0; i < entries; ++i) root.Write("reader" + std::to_string(i), entry);
}

void BM_EnumerateUnitsAt(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  const int unitsPerEntry = static_cast<int>(state.range(1));
  setenv("VELMORA_SIM_UNITS", unitsPerEntry == 4 ? "1,2,3,4" : "1", 1);
  ScopedTempDir root;
  FillRoot(root, entries);
  size_t found = 0;
  for (auto _ : state) {
    UnitSequence units = EnumerateUnitsAt(root.path().c_str());
    found = units.size();
    benchmark::DoNotOptimize(units.data());
  }
  if (found != static_cast<size_t>(entries * unitsPerEntry)) state.SkipWithError("wrong number of units");
  state.counters["units"] = static_cast<double>(found);
}
BENCHMARK(BM_EnumerateUnitsAt)->ArgNames({"entries", "units"})->ArgsProduct({{1, 10, 100}, {1, 4}});

}  // namespace
