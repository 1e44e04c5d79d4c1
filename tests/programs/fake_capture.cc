// fake-capture: stands in for velmora-capture in tests of whatever plays the parent. It attaches
// the exchange segment as the capture program does, prints the request it found, writes a given
// result and sets bIsScanDone, or misbehaves on request.
//
//   fake-capture [--key N] [--sample TEXT] [--sample-size N] [--finger N] [--units N]
//                [--mode done|no-done|crash|hang] [--exit N]
//
// Every option can also come from the environment as FAKE_CAPTURE_<NAME> (FAKE_CAPTURE_SAMPLE,
// FAKE_CAPTURE_MODE, ...), because a parent starts the capture program without arguments; an
// argument wins over the environment. Without --sample no result is written, as after a failed
// capture. --sample-size defaults to the length of the text, --units to 1, --finger to 0.
// Modes: done (default) writes and sets the flag; no-done writes and exits without the flag;
// crash writes and then aborts; hang waits until it is killed, touching nothing.
//
// Standard output: one line "fake-capture: pid <pid> enrollmentSize <n> enrolled <hex bytes>",
// the list cut to 0..10 entries, printed once the segment is attached. Errors go to standard error with
// status 1.
#include <ctype.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <unistd.h>

#include <map>
#include <string>

#include "capture/capture_exchange.h"
#include "capture/exchange_segment.h"
#include "tests/programs/program_args.h"

namespace {

const char* const kOptions[] = {"key", "sample", "sample-size", "finger", "units", "mode", "exit"};

std::string EnvironmentName(const std::string& option) {
  std::string name = "FAKE_CAPTURE_";
  for (char c : option) name += c == '-' ? '_' : static_cast<char>(toupper(c));
  return name;
}

bool Known(const std::string& option) {
  for (const char* known : kOptions)
    if (option == known) return true;
  return false;
}

// The settings: environment first, then the arguments over it.
bool Collect(int argc, char** argv, std::map<std::string, std::string>* settings) {
  for (const char* option : kOptions) {
    const char* value = getenv(EnvironmentName(option).c_str());
    if (value != nullptr) (*settings)[option] = value;
  }
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg.rfind("--", 0) != 0 || !Known(arg.substr(2)) || i + 1 == argc) {
      fprintf(stderr, "fake-capture: bad argument \"%s\"\n", arg.c_str());
      return false;
    }
    (*settings)[arg.substr(2)] = argv[++i];
  }
  return true;
}

long Number(const std::map<std::string, std::string>& settings, const char* option, long fallback) {
  auto found = settings.find(option);
  if (found == settings.end()) return fallback;
  long value = 0;
  if (ParseInt(found->second, -2147483648L, 2147483647L, &value)) return value;
  fprintf(stderr, "fake-capture: --%s: not a number: \"%s\"\n", option, found->second.c_str());
  exit(1);
}

CaptureExchange* Attach(int key) {
  int shmid = ExchangeLookup(key);
  if (shmid < 0) {
    perror("shmget");
    exit(1);
  }
  CaptureExchange* record = ExchangeAttach(shmid);
  if (record == nullptr) {
    perror("shmat");
    exit(1);
  }
  return record;
}

void PrintRequest(const CaptureExchange* record) {
  ExchangeRequest request = ExchangeReadRequest(record);
  printf("fake-capture: pid %d enrollmentSize %d enrolled %s\n", static_cast<int>(getpid()),
         request.enrollmentSize, HexOf(request.enrolled, request.count).c_str());
  fflush(stdout);
}

void Crash() {
  rlimit none = {0, 0};
  setrlimit(RLIMIT_CORE, &none);  // no core file left in the test's folder
  abort();
}

}  // namespace

int main(int argc, char** argv) {
  std::map<std::string, std::string> settings;
  if (!Collect(argc, argv, &settings)) return 1;
  std::string mode = settings.count("mode") ? settings["mode"] : "done";
  if (mode != "done" && mode != "no-done" && mode != "crash" && mode != "hang") {
    fprintf(stderr, "fake-capture: unknown mode \"%s\"\n", mode.c_str());
    return 1;
  }
  CaptureExchange* record = Attach(static_cast<int>(Number(settings, "key", kExchangeKey)));
  PrintRequest(record);
  while (mode == "hang") pause();
  if (settings.count("sample")) {
    const std::string& sample = settings["sample"];
    ExchangeWriteResult(record, reinterpret_cast<const unsigned char*>(sample.c_str()),
                        static_cast<int32_t>(Number(settings, "sample-size", sample.size())),
                        static_cast<FingerNumber>(Number(settings, "finger", 0)),
                        static_cast<int32_t>(Number(settings, "units", 1)));
  }
  if (mode == "crash") Crash();
  if (mode == "done") ExchangeMarkDone(record);
  return static_cast<int>(Number(settings, "exit", 0));
}
