// The libfprint plug-in against the floor of libfprint used directly, on libfprint's virtual
// reader fed the same synthetic print each run: connect, capture and disconnect, alternated run
// by run, medians and their ratio; then what the plug-in's catalogue entry adds to the start-up
// discovery, alternated the same way; and how long a disconnect holds the window's thread.
//
//   fprint_bench [RUNS]      (RUNS default 31)
//
// A plain program: wall-clock medians of alternated runs are simpler to keep honest here than
// Google Benchmark's repetitions. Exit status 0 when every run worked, whether or not a target
// was met. One thread drives; each capture runs on a thread of its own.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <chrono>
#include <exception>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_stats.h"
#include "bench/direct_side.h"
#include "bench/entry_share.h"
#include "bench/plugin_side.h"
#include "tests/support/ridge_image.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/virtual_reader.h"
#include "units/capture_call.h"
#include "units/plugin_binding.h"

using namespace velmora::bench;
using namespace velmora::test;  // the shared test support

namespace {

constexpr int kDefaultRuns = 31;
constexpr double kCaptureTarget = 1.05;

void BenchCapture(int runs) {
  const std::string& socket = UseVirtualReader();
  ScopedTempDir samples;
  ScopedEnv sampleDir("VELMORA_FPRINT_SAMPLE_DIR", samples.Path("samples").c_str());
  PluginSide plugin(FPX_FPRINT_SO);
  DirectSide direct;
  CaptureSide* sides[2] = {&plugin, &direct};
  const std::vector<uint8_t> image = RidgeImage(velmora::test::kPrintWidth, velmora::test::kPrintHeight);
  std::vector<double> viaPlugin, viaLibfprint;
  Alternate(runs, viaPlugin, viaLibfprint, [&](int side) { return TimedRun(*sides[side], socket, image); });
  ReportRatio("capture run: through libfpx-fprint.so", viaPlugin, "capture run: libfprint directly",
              viaLibfprint, kCaptureTarget);
}

// The heap growth of each side on its own, the plug-in's first: the plug-in is libfprint plus
// its own work, so growth on both sides is libfprint's (or GLib's).
void BenchHeap(int runs) {
  const std::string& socket = UseVirtualReader();
  ScopedTempDir samples;
  ScopedEnv sampleDir("VELMORA_FPRINT_SAMPLE_DIR", samples.Path("samples").c_str());
  const std::vector<uint8_t> image = RidgeImage(velmora::test::kPrintWidth, velmora::test::kPrintHeight);
  PluginSide plugin(FPX_FPRINT_SO);
  ReportHeap("heap in use: through libfpx-fprint.so",
             HeapGrowth(runs, [&] { TimedRun(plugin, socket, image); }), runs);
  DirectSide direct;
  ReportHeap("heap in use: libfprint directly", HeapGrowth(runs, [&] { TimedRun(direct, socket, image); }),
             runs);
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// FpxDisconnect from another thread while the capture waits for the finger; the time until the
// capture has returned.
double DisconnectDuringCapture(PluginParams& plugin) {
  std::chrono::steady_clock::time_point returned;
  int seen = FingerWaits();
  std::thread capture([&] {
    CaptureSample(plugin, 1);
    returned = std::chrono::steady_clock::now();
  });
  AwaitFingerWait(seen);
  auto start = std::chrono::steady_clock::now();
  plugin.FpxDisconnect(1);
  capture.join();
  return std::chrono::duration<double, std::milli>(returned - start).count();
}

// What the window's thread waits for: a capture that a disconnect ends, and a disconnect with
// nothing running. The reader's close goes on after both; each connect waits for it.
void BenchDisconnect(int runs) {
  UseVirtualReader();
  ScopedTempDir samples;
  ScopedEnv sampleDir("VELMORA_FPRINT_SAMPLE_DIR", samples.Path("samples").c_str());
  PluginSide enumerated(FPX_FPRINT_SO);
  std::shared_ptr<PluginParams> plugin = BindPlugin(FPX_FPRINT_SO);
  std::vector<double> duringCapture, idle;
  for (int i = 0; i < runs; ++i) {
    if (ConnectForCapture(*plugin, 1) != 0) throw std::runtime_error("FpxConnect failed");
    duringCapture.push_back(DisconnectDuringCapture(*plugin));
    if (ConnectForCapture(*plugin, 1) != 0) throw std::runtime_error("FpxConnect failed");
    auto start = std::chrono::steady_clock::now();
    plugin->FpxDisconnect(1);
    idle.push_back(MillisecondsSince(start));
  }
  Report("disconnect: until the ended capture returns", duringCapture);
  Report("disconnect: with nothing running", idle);
}

void BenchEntryShare(int runs) {
  ScopedTempDir without, with;
  std::string alone = EntryRoot(without.path(), {FPX_SIMULATOR_SO});
  std::string both = EntryRoot(with.path(), {FPX_SIMULATOR_SO, FPX_FPRINT_SO});
  std::vector<double> simulatorOnly, withFprint;
  Alternate(runs, simulatorOnly, withFprint,
            [&](int side) { return side == 0 ? TimedEnumeration(alone, 1) : TimedEnumeration(both, 2); });
  Report("start-up discovery: simulator only", simulatorOnly);
  Report("start-up discovery: simulator + fprint entry", withFprint);
  printf("%-44s %+8.3f ms (medians)\n", "start-up discovery: the fprint entry adds",
         Median(withFprint) - Median(simulatorOnly));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], kEntryShareChild) == 0) return EnumerateChild(argv[2]);
  int runs = argc > 1 ? atoi(argv[1]) : kDefaultRuns;
  if (runs < 1) return fprintf(stderr, "usage: %s [RUNS]\n", argv[0]), 2;
  try {
    printf("load average %s before\n", LoadAverage().c_str());
    BenchCapture(runs);
    BenchHeap(runs);
    BenchDisconnect(runs);
    BenchEntryShare(runs);
    printf("load average %s after\n", LoadAverage().c_str());
  } catch (const std::exception& error) {
    fprintf(stderr, "fprint_bench: %s\n", error.what());
    return 1;
  }
  return 0;
}
