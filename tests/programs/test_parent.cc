// velmora-test-parent: plays the parent for end-to-end tests that need a record prefilled in a
// particular way, runs the capture program once and shows the whole record afterwards.
//
//   velmora-test-parent [options] [--] PROGRAM [ARGS...]
//
// The record starts as --record-hex HEX (exactly 568 hex digits, the 284 bytes in order) or, by
// default, as 284 copies of --fill-byte XX (default 00). These options then set single fields:
//   --enrollment-size N   offset 260 (any 32-bit value; default: the length of --enrolled)
//   --enrolled HH,HH,...  offset 264, up to 10 bytes, any values
//   --reserved XX         offset 274
//   --sample TEXT         offset 0, the text and its terminator (at most 255 bytes)
//   --sample-size N       offset 256
//   --selected N          offset 275
//   --units N             offset 280
// Other options: --key N (default: the program's, kExchangeKey), --timeout SECONDS (default 120;
// the program is killed with SIGKILL when it runs longer), --mode OCTAL (the segment's
// permissions, default 600), --creator-uid N (the segment is created under that effective user
// id, as another user's would be; needs root).
//
// The segment is created with IPC_CREAT | IPC_EXCL and is removed at the end.
// The program's standard streams are the parent's own. After the program has ended, standard
// output gets exactly two more lines, always the last two:
//   exit <status>          the program exited with <status> (decimal)
//   signal <n>             instead, when signal <n> ended it (9 after the timeout)
//   record <568 hex>       the 284 bytes of the record after the run, lower-case, no blanks
// Exit status: 0 when those lines were printed; 1 when a step of its own failed (bad option,
// segment exists, cannot start the program), with the reason on standard error.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "capture/capture_exchange.h"
#include "capture/exchange_segment.h"
#include "capture/parent_record.h"
#include "process/child_start.h"
#include "process/child_wait.h"
#include "tests/programs/program_args.h"

namespace {

struct Options {
  std::map<std::string, std::string> fields;
  long key = kExchangeKey;
  long timeout = 120;
  long mode = 0600;
  long creatorUid = -1;        // -1: the test parent's own
  std::vector<char*> program;  // PROGRAM and ARGS, null-terminated
};

const char* const kValueOptions[] = {"record-hex", "fill-byte",   "enrollment-size", "enrolled", "reserved",
                                     "sample",     "sample-size", "selected",        "units",    "key",
                                     "timeout",    "mode",        "creator-uid"};

[[noreturn]] void Fail(const std::string& reason) {
  fprintf(stderr, "velmora-test-parent: %s\n", reason.c_str());
  exit(1);
}

bool TakesValue(const std::string& name) {
  for (const char* option : kValueOptions)
    if (name == option) return true;
  return false;
}

long Number(const std::string& text, const char* option, long low, long high) {
  long value = 0;
  if (!ParseInt(text, low, high, &value)) Fail(std::string("--") + option + ": bad number \"" + text + "\"");
  return value;
}

Options Parse(int argc, char** argv) {
  Options options;
  int i = 1;
  for (; i < argc && strncmp(argv[i], "--", 2) == 0; ++i) {
    std::string name = argv[i] + 2;
    if (name.empty()) {
      ++i;
      break;
    }
    if (!TakesValue(name) || i + 1 == argc) Fail("bad option \"" + std::string(argv[i]) + "\"");
    options.fields[name] = argv[++i];
  }
  if (i == argc) Fail("no program given");
  for (; i < argc; ++i) options.program.push_back(argv[i]);
  options.program.push_back(nullptr);
  if (options.fields.count("key")) options.key = Number(options.fields["key"], "key", 1, 0x7FFFFFFF);
  if (options.fields.count("timeout"))
    options.timeout = Number(options.fields["timeout"], "timeout", 1, 86400);
  if (options.fields.count("mode")) {
    char* end = nullptr;
    const std::string& text = options.fields["mode"];
    options.mode = strtol(text.c_str(), &end, 8);
    if (text.empty() || *end != '\0' || options.mode < 0 || options.mode > 0777)
      Fail("--mode: bad permissions \"" + text + "\"");
  }
  if (options.fields.count("creator-uid"))
    options.creatorUid = Number(options.fields["creator-uid"], "creator-uid", 0, 0x7FFFFFFE);
  return options;
}

uint8_t Byte(const std::string& text, const char* option) {
  std::vector<uint8_t> bytes;
  if (!ParseHexBytes(text, &bytes) || bytes.size() != 1)
    Fail(std::string("--") + option + ": not one hex byte");
  return bytes[0];
}

void StartRecord(const std::map<std::string, std::string>& fields, uint8_t* bytes) {
  auto hex = fields.find("record-hex");
  auto fill = fields.find("fill-byte");
  memset(bytes, fill == fields.end() ? 0 : Byte(fill->second, "fill-byte"), kExchangeSize);
  if (hex == fields.end()) return;
  std::vector<uint8_t> record;
  if (hex->second.size() != 2 * kExchangeSize || !ParseHexBytes(hex->second, &record))
    Fail("--record-hex: needs exactly 568 hex digits");
  memcpy(bytes, record.data(), kExchangeSize);
}

void SetInt32(std::map<std::string, std::string>& fields, const char* option, int32_t* field) {
  if (fields.count(option))
    *field = static_cast<int32_t>(Number(fields[option], option, INT32_MIN, INT32_MAX));
}

// The request as the record holds it so far: its size and reserved byte, no list entries.
ExchangeRequest RequestOf(const CaptureExchange* record) {
  ExchangeRequest request = {};
  request.enrollmentSize = record->enrollmentSize;
  request.reserved = record->reserved;
  return request;
}

void SetList(const std::string& text, ExchangeRequest* request) {
  std::vector<uint8_t> list;
  if (!ParseHexBytes(text, &list) || list.size() > kExchangeMaxEnrolled)
    Fail("--enrolled: up to 10 hex bytes");
  if (!list.empty()) memcpy(request->enrolled, list.data(), list.size());
  request->count = static_cast<int32_t>(list.size());
  request->enrollmentSize = request->count;
}

void SetSample(const std::string& sample, CaptureExchange* record) {
  if (sample.size() >= kExchangeSampleArea) Fail("--sample: at most 255 bytes");
  memcpy(record->sample, sample.c_str(), sample.size() + 1);
}

// The options are checked in this order, so that the first bad one is the one reported.
void SetFields(std::map<std::string, std::string>& fields, CaptureExchange* record) {
  ExchangeRequest request = RequestOf(record);
  if (fields.count("enrolled")) SetList(fields["enrolled"], &request);
  if (fields.count("sample")) SetSample(fields["sample"], record);
  SetInt32(fields, "enrollment-size", &request.enrollmentSize);
  SetInt32(fields, "sample-size", &record->SampleSize);
  SetInt32(fields, "units", &record->UnitCount);
  if (fields.count("reserved")) request.reserved = Byte(fields["reserved"], "reserved");
  if (fields.count("selected"))
    record->selected = static_cast<FingerNumber>(Number(fields["selected"], "selected", 0, 255));
  ExchangeWriteRequest(record, request);
}

// The creator recorded with a segment is the effective user of the creating call.
int CreateAs(long creatorUid, long key, long mode) {
  if (creatorUid >= 0 && seteuid(static_cast<uid_t>(creatorUid)) != 0)
    Fail(std::string("seteuid: ") + strerror(errno));
  int shmid = ExchangeCreate(static_cast<int>(key), static_cast<int>(mode));
  int error = errno;
  if (creatorUid >= 0 && seteuid(getuid()) != 0) {
    if (shmid >= 0) ExchangeRemove(shmid);
    Fail(std::string("seteuid: ") + strerror(errno));
  }
  errno = error;
  return shmid;
}

// The creator is another user's when asked, but the attachment is root's: the segment's mode may
// close it to its own creator.
ParentRecord CreateRecord(const Options& options) {
  int shmid = CreateAs(options.creatorUid, options.key, options.mode);
  if (shmid < 0) Fail(std::string("shmget: ") + strerror(errno));
  ParentRecord held;
  if (!ParentRecordHold(shmid, &held)) Fail("cannot attach the record");
  return held;
}

// Runs the program by PATH with our own streams; kills it with SIGKILL at the timeout.
ChildEnd RunProgram(const Options& options, ParentRecord* held) {
  fflush(stdout);
  pid_t pid = SpawnChild(ChildCommand{options.program.data(), true});
  if (pid < 0) {
    int error = errno;
    ParentRecordRelease(held);
    Fail(std::string("cannot start ") + options.program[0] + ": " + strerror(error));
  }
  ChildWatch watch;
  watch.timeoutSeconds = static_cast<int>(options.timeout);
  return WaitChild(pid, watch);
}

}  // namespace

int main(int argc, char** argv) {
  Options options = Parse(argc, argv);
  uint8_t bytes[kExchangeSize];
  StartRecord(options.fields, bytes);
  SetFields(options.fields, reinterpret_cast<CaptureExchange*>(bytes));
  ParentRecord held = CreateRecord(options);
  memcpy(held.record, bytes, kExchangeSize);
  ChildEnd end = RunProgram(options, &held);
  memcpy(bytes, held.record, kExchangeSize);
  ParentRecordRelease(&held);
  if (end.exited)
    printf("exit %d\n", end.exitStatus);
  else
    printf("signal %d\n", end.signal);
  printf("record %s\n", HexOf(bytes, kExchangeSize).c_str());
  return 0;
}
