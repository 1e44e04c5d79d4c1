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
// It creates the record (key 43623) and an Xvfb of its own, so it belongs inside scripts/sandbox,
// whose IPC namespace holds the segment and whose /etc/Velmora names the simulator. It refuses to
// run when a segment with the key exists already. --summary prints one tab-separated line instead
// of the table: the runs, then median ms, min ms and median peak KiB of PROGRAM and of FLOOR.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ipc.h>
#include <sys/resource.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "capture/capture_exchange.h"
#include "ui/private_x_server.h"

namespace {

// What the record must hold after a clean capture with the simulator's default sample.
constexpr int32_t kSimulatorSampleSize = 32;
// A run that takes longer than this is killed and ends the benchmark.
constexpr unsigned kRunTimeoutSeconds = 60;

// Both output streams of the current run; a file of the benchmark's own (mkstemp).
std::string logPath;
pid_t runningChild = -1;

// Whatever ends the benchmark, exit() included, takes the server, the record and the log along:
// the server as a static object, the others through CleanUp.
PrivateXServer server;
int recordId = -1;

void CleanUp() {
  if (recordId >= 0) shmctl(recordId, IPC_RMID, nullptr);
  if (!logPath.empty()) unlink(logPath.c_str());
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

void KillRunningChild(int /*signal*/) {
  if (runningChild > 0) kill(runningChild, SIGKILL);
}

void MakeLogFile() {
  char pattern[] = "/tmp/velmora-startup-bench.XXXXXX";
  int fd = mkstemp(pattern);
  if (fd < 0) {
    perror("mkstemp");
    exit(1);
  }
  close(fd);
  logPath = pattern;
  signal(SIGALRM, KillRunningChild);
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
  recordId = shmget(kExchangeKey, kExchangeSize, IPC_CREAT | IPC_EXCL | 0600);
  if (recordId < 0) {
    perror("shmget");
    Fail("cannot create the record (is this inside scripts/sandbox?)");
  }
  void* address = shmat(recordId, nullptr, 0);
  if (address == reinterpret_cast<void*>(-1)) {
    perror("shmat");
    exit(1);
  }
  return static_cast<CaptureExchange*>(address);
}

// The parent's request: fingers 7, 2 and 1, nothing else.
void ResetRecord(CaptureExchange* record) {
  memset(record, 0, kExchangeSize);
  record->enrollmentSize = 3;
  record->enrolled[0] = 7;
  record->enrolled[1] = 2;
  record->enrolled[2] = 1;
}

double Now() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Runs `path` with both output streams in the log file; the clock covers the child alone, from
// the spawn to its reaped exit. Gives the wait status.
int RunOnce(const char* path, Run* run) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  char* const argv[] = {const_cast<char*>(path), nullptr};
  pid_t pid = -1;
  double start = Now();
  int spawned = posix_spawn(&pid, path, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) Fail(std::string("cannot start ") + path + ": " + strerror(spawned));
  runningChild = pid;
  alarm(kRunTimeoutSeconds);
  int status = 0;
  rusage usage{};
  pid_t waited;
  while ((waited = wait4(pid, &status, 0, &usage)) < 0 && errno == EINTR) {
  }
  run->milliseconds = Now() - start;
  alarm(0);
  runningChild = -1;
  if (waited != pid) {
    perror("wait4");
    exit(1);
  }
  run->peakKiB = usage.ru_maxrss;
  return status;
}

[[noreturn]] void FailRun(const char* path, const std::string& what) {
  fprintf(stderr, "velmora-startup-bench: %s: %s; its output:\n", path, what.c_str());
  if (FILE* log = fopen(logPath.c_str(), "r")) {
    char line[512];
    while (fgets(line, sizeof(line), log)) fputs(line, stderr);
    fclose(log);
  }
  exit(1);
}

void CheckExit(const char* path, int status) {
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) FailRun(path, "did not exit with status 0");
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
  if (!server.Start(&error)) Fail(error);
  setenv("DISPLAY", server.Display().c_str(), 1);
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
  shmdt(record);

  Summary c = Summarise(capture), f = Summarise(floor);
  if (options.summary)
    printf("%d\t%.3f\t%.3f\t%ld\t%.3f\t%.3f\t%ld\n", options.runs, c.medianMs, c.minMs, c.medianKiB,
           f.medianMs, f.minMs, f.medianKiB);
  else
    PrintTable(options.runs, c, f);
  return 0;
}
