// The fprintd plug-in against the floor of fprintd driven with GDBus directly, on the fingerprint
// service's stand-in (bench/fprintd runs it there, with the enrolled finger presented for every
// verification that fprintd starts): connect, capture and disconnect, alternated run by run,
// medians and their ratio, and the heap that each side leaves behind. And what the plug-in's
// catalogue entry adds to the start-up discovery.
//
//   fprintd_bench capture RUNS          the plug-in against the floor
//   fprintd_bench startup RUNS UNITS    simulator only against simulator + fprintd entry, whose
//                                       plug-in must find UNITS readers (0 when fprintd is absent)
//
// A plain program, like fprint_bench. Exit status 0 when every run worked, whether or not a
// target was met. One thread drives; each capture runs on a thread of its own.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <chrono>
#include <exception>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_stats.h"
#include "bench/entry_share.h"
#include "bench/fprintd_direct_side.h"
#include "bench/plugin_side.h"
#include "tests/support/scoped_temp_dir.h"

using namespace velmora::bench;

namespace {

constexpr double kCaptureTarget = 1.05;

void Check(bool ok, const char* step) {
  if (!ok) throw std::runtime_error(std::string(step) + " failed");
}

// Connect, a capture on a thread of its own (the finger comes from the stand-in's feeder), and
// disconnect; the wall-clock milliseconds of the whole.
double TimedRun(CaptureSide& side) {
  auto start = std::chrono::steady_clock::now();
  Check(side.Connect(), "connect");
  bool captured = false;
  std::thread capture([&] { captured = side.Capture(); });
  capture.join();
  Check(captured, "capture");
  Check(side.Disconnect(), "disconnect");
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void BenchCapture(int runs) {
  PluginSide plugin(FPX_FPRINTD_SO);
  FprintdDirectSide direct;
  CaptureSide* sides[2] = {&plugin, &direct};
  std::vector<double> viaPlugin, viaGdbus;
  Alternate(runs, viaPlugin, viaGdbus, [&](int side) { return TimedRun(*sides[side]); });
  ReportRatio("capture run: through libfpx-fprintd.so", viaPlugin, "capture run: GDBus directly", viaGdbus,
              kCaptureTarget);
}

// Each side on its own, the plug-in's first: growth on both sides is GLib's (or GDBus's).
void BenchHeap(int runs) {
  PluginSide plugin(FPX_FPRINTD_SO);
  ReportHeap("heap in use: through libfpx-fprintd.so", HeapGrowth(runs, [&] { TimedRun(plugin); }), runs);
  FprintdDirectSide direct;
  ReportHeap("heap in use: GDBus directly", HeapGrowth(runs, [&] { TimedRun(direct); }), runs);
}

void BenchEntryShare(int runs, size_t fprintdUnits) {
  velmora::test::ScopedTempDir without, with;
  std::string alone = EntryRoot(without.path(), {FPX_SIMULATOR_SO});
  std::string both = EntryRoot(with.path(), {FPX_SIMULATOR_SO, FPX_FPRINTD_SO});
  std::vector<double> simulatorOnly, withFprintd;
  Alternate(runs, simulatorOnly, withFprintd, [&](int side) {
    return side == 0 ? TimedEnumeration(alone, 1) : TimedEnumeration(both, 1 + fprintdUnits);
  });
  Report("start-up discovery: simulator only", simulatorOnly);
  Report("start-up discovery: simulator + fprintd entry", withFprintd);
  printf("%-44s %+8.3f ms (medians; target <= 25 ms with fprintd absent)\n",
         "start-up discovery: the fprintd entry adds", Median(withFprintd) - Median(simulatorOnly));
}

int Usage(const char* self) {
  fprintf(stderr, "usage: %s capture RUNS | startup RUNS UNITS\n", self);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], kEntryShareChild) == 0) return EnumerateChild(argv[2]);
  int runs = argc > 2 ? atoi(argv[2]) : 0;
  bool capture = argc == 3 && strcmp(argv[1], "capture") == 0;
  bool startup = argc == 4 && strcmp(argv[1], "startup") == 0;
  if (runs < 1 || (!capture && !startup)) return Usage(argv[0]);
  try {
    printf("load average %s before\n", LoadAverage().c_str());
    if (capture) BenchCapture(runs);
    if (capture) BenchHeap(runs);
    if (startup) BenchEntryShare(runs, static_cast<size_t>(atoi(argv[3])));
    printf("load average %s after\n", LoadAverage().c_str());
  } catch (const std::exception& error) {
    fprintf(stderr, "fprintd_bench: %s\n", error.what());
    return 1;
  }
  return 0;
}
