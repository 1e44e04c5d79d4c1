// velmora-startup-bench: the whole capture run of velmora-capture against a floor window.
//
//   velmora-startup-bench [--runs N] [--summary] PROGRAM FLOOR
//
// Each run of PROGRAM is one capture as the parent starts it: unit discovery with the simulated
// reader, the window, a capture without delay, the result in the record, exit. FLOOR is a GTK+ 2
// program that only shows a window of the same size and exits once it is mapped. The two are
// alternated, N runs each after one warm-up run each; every run is timed from the fork to the
// reaped exit, and its peak resident set comes from wait4.
//
// It creates the record (under kExchangeKey) and an Xvfb of its own, so it belongs inside
// scripts/sandbox, whose IPC namespace holds the segment and whose configuration root names the
// simulator. It refuses to run when a segment with the key exists already. --summary prints one
// tab-separated line instead of the table: the runs, then median ms, min ms and median peak KiB
// of PROGRAM and of FLOOR.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "capture/capture_exchange.h"
#include "capture/parent_record.h"
#include "process/child_start.h"
#include "process/child_wait.h"
#include "tests/support/private_x_server.h"

using namespace velmora::test;  // the shared test support

namespace {

// What the record must hold after a clean capture with the simulator's default sample.
constexpr int32_t kSimulatorSampleSize = 32;
// A run that takes longer than this is killed and ends the benchmark.
constexpr int kRunTimeoutSeconds = 60;
// The parent's request: fingers 7, 2 and 1, nothing else.
constexpr ExchangeRequest kRequest = {3, 3, {7, 2, 1}, 0};

// Both output streams of the current run; a file of the benchmark's own (mkstemp).
std::string g_LogPath;

// Whatever ends the benchmark, exit() included, takes the server, the record and the log along:
// the server as a static object, the others through CleanUp.
PrivateXServer g_Server;
ParentRecord g_Record;

void CleanUp() {
  ParentRecordRelease(&g_Record);
  if (!g_LogPath.empty()) unlink(g_LogPath.c_str());
}

struct Run {
  double milliseconds;
  long peakKiB;
};

struct Options {
  int runs = 21;
  bool summary = false;
  const char* program = nullptr;
  const char* floor = nullptr;
};

[[noreturn]] void Fail(const std::string& reason) {
  fprintf(stderr, "velmora-startup-bench: %s\n", reason.c_str());
  exit(1);
}

void MakeLogFile() {
  char pattern[] = "/tmp/velmora-startup-bench.XXXXXX";
  int fd = mkstemp(pattern);
  if (fd < 0) {
    perror("mkstemp");
    exit(1);
  }
  close(fd);
  g_LogPath = pattern;
}

Options Parse(int argc, char** argv) {
  Options options;
  int i = 1;
  for (; i < argc && strncmp(argv[i], "--", 2) == 0; ++i) {
    if (strcmp(argv[i], "--summary") == 0) {
      options.summary = true;
    } else if (strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      options.runs = atoi(argv[++i]);
    } else {
      Fail(std::string("bad option ") + argv[i]);
    }
  }
  if (argc - i != 2 || options.runs < 1)
    Fail("usage: velmora-startup-bench [--runs N] [--summary] PROGRAM FLOOR");
  options.program = argv[i];
  options.floor = argv[i + 1];
  return options;
}

// A segment with the key that exists already belongs to someone else and is left alone.
CaptureExchange* CreateRecord() {
  if (ParentRecordCreate(kExchangeKey, &g_Record) != RecordCreation::kCreated)
    Fail("cannot create the record (is this inside scripts/sandbox?)");
  return g_Record.record;
}

void ResetRecord(CaptureExchange* record) {
  memset(record, 0, kExchangeSize);
  ExchangeWriteRequest(record, kRequest);
}

double Now() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Runs `path` with both output streams in the log file; the clock covers the child alone, from
// the spawn to its reaped exit. A run past the timeout is killed.
ChildEnd RunOnce(const char* path, Run* run) {
  char* const argv[] = {const_cast<char*>(path), nullptr};
  ChildCommand command = {argv, false, g_LogPath.c_str()};
  double start = Now();
  pid_t pid = SpawnChild(command);
  if (pid < 0) Fail(std::string("cannot start ") + path + ": " + strerror(errno));
  ChildWatch watch;
  watch.timeoutSeconds = kRunTimeoutSeconds;
  ChildEnd end = WaitChild(pid, watch);
  run->milliseconds = Now() - start;
  run->peakKiB = end.peakKiB;
  return end;
}

[[noreturn]] void FailRun(const char* path, const std::string& what) {
  fprintf(stderr, "velmora-startup-bench: %s: %s; its output:\n", path, what.c_str());
  if (FILE* log = fopen(g_LogPath.c_str(), "r")) {
    char line[512];
    while (fgets(line, sizeof(line), log)) fputs(line, stderr);
    fclose(log);
  }
  exit(1);
}

void CheckExit(const char* path, const ChildEnd& end) {
  if (!end.exited || end.exitStatus != 0) FailRun(path, "did not exit with status 0");
}

// A capture run counts only when the sample really reached the record.
Run RunCapture(const char* program, CaptureExchange* record) {
  ResetRecord(record);
  Run run;
  CheckExit(program, RunOnce(program, &run));
  if (record->bIsScanDone != 1 || record->SampleSize != kSimulatorSampleSize || record->UnitCount != 1)
    FailRun(program, "the record holds no capture");
  return run;
}

Run RunFloor(const char* floor) {
  Run run;
  CheckExit(floor, RunOnce(floor, &run));
  return run;
}

// The simulator as the benchmark wants it: one unit, a capture without delay, no trace or faults.
void SetSimulatorEnvironment() {
  setenv("VELMORA_SIM_DELAY_MS", "0", 1);
  setenv("VELMORA_SIM_UNITS", "1", 1);
  for (const char* name : {"VELMORA_SIM_FAIL", "VELMORA_SIM_SAMPLE", "VELMORA_SIM_SIZE", "VELMORA_SIM_TRACE",
                           "VELMORA_SIM_UNINTERRUPTIBLE"})
    unsetenv(name);
}

template <typename T>
T Median(std::vector<T> values) {
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Summary {
  double medianMs, minMs, maxMs;
  long medianKiB, maxKiB;
};

Summary Summarise(const std::vector<Run>& runs) {
  std::vector<double> times;
  std::vector<long> peaks;
  for (const Run& run : runs) {
    times.push_back(run.milliseconds);
    peaks.push_back(run.peakKiB);
  }
  return {Median(times), *std::min_element(times.begin(), times.end()),
          *std::max_element(times.begin(), times.end()), Median(peaks),
          *std::max_element(peaks.begin(), peaks.end())};
}

void PrintTable(int runs, const Summary& capture, const Summary& floor) {
  printf("%d alternated runs each, timed from fork to reaped exit\n", runs);
  printf("%-18s %10s %10s %10s %14s %12s\n", "", "median ms", "min ms", "max ms", "peak RSS MiB",
         "(max MiB)");
  for (const auto& [name, s] : {std::pair{"velmora-capture", capture}, std::pair{"floor window", floor}})
    printf("%-18s %10.2f %10.2f %10.2f %14.2f %12.2f\n", name, s.medianMs, s.minMs, s.maxMs,
           s.medianKiB / 1024.0, s.maxKiB / 1024.0);
  printf("time ratio (capture / floor): %.3f   (target at most 1.25)\n", capture.medianMs / floor.medianMs);
  printf("peak memory over the floor: %+.2f MiB   (target at most +3 MiB)\n",
         (capture.medianKiB - floor.medianKiB) / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  Options options = Parse(argc, argv);
  atexit(CleanUp);
  std::string error;
  if (!g_Server.Start(&error)) Fail(error);
  setenv("DISPLAY", g_Server.Display().c_str(), 1);
  SetSimulatorEnvironment();
  MakeLogFile();
  CaptureExchange* record = CreateRecord();

  // One warm-up run each fills the page cache and the toolkit's caches for both.
  RunCapture(options.program, record);
  RunFloor(options.floor);
  std::vector<Run> capture, floor;
  for (int i = 0; i < options.runs; ++i) {
    capture.push_back(RunCapture(options.program, record));
    floor.push_back(RunFloor(options.floor));
  }
  Summary c = Summarise(capture), f = Summarise(floor);
  if (options.summary)
    printf("%d\t%.3f\t%.3f\t%ld\t%.3f\t%.3f\t%ld\n", options.runs, c.medianMs, c.minMs, c.medianKiB,
           f.medianMs, f.minMs, f.medianKiB);
  else
    PrintTable(options.runs, c, f);
  return 0;
}
