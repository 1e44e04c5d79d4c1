#include "tools/capture_host/host_run.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "capture/parent_record.h"
#include "process/child_start.h"
#include "process/child_wait.h"
#include "process/interruptions.h"
#include "tools/capture_host/host_result.h"

namespace {

bool CreateSegment(int key, const HostOptions& options, ParentRecord* segment) {
  RecordCreation created = ParentRecordCreate(key, segment);
  if (created == RecordCreation::kExists) {
    fprintf(stderr,
            "velmora-capture-host: a segment with key %d exists already; another capture may be "
            "running, so it is left alone\n",
            key);
  }
  if (created != RecordCreation::kCreated) return false;
  ExchangeWriteRequest(segment->record, ParentRequest(options.fingers));
  return true;
}

void PrintResult(const HostOptions& options, const ChildEnd& end, const CaptureExchange& record) {
  std::string text = options.json ? FormatJson(end, record) : FormatSummary(end, record);
  fputs(text.c_str(), stdout);
  fflush(stdout);
}

int Interrupted(int signal) {
  fprintf(stderr, "velmora-capture-host: interrupted; the program was ended and the segment removed\n");
  RaiseInterruption(signal);
  return 128 + signal;
}

pid_t StartProgram(const HostOptions& options, const Interruptions& interruptions) {
  char* const argv[] = {const_cast<char*>(options.program.c_str()), nullptr};
  return SpawnChild(ChildCommand{argv, false, nullptr, &interruptions.former});
}

ChildEnd WaitProgram(const HostOptions& options, pid_t pid, const Interruptions& interruptions) {
  ChildWatch watch;
  watch.timeoutSeconds = options.timeoutSeconds;
  watch.interruptions = &interruptions.taken;
  return WaitChild(pid, watch);
}

}  // namespace

int RunHost(const HostOptions& options, int key) {
  Interruptions interruptions = BlockInterruptions();
  ParentRecord segment;
  if (!CreateSegment(key, options, &segment)) return kHostError;
  pid_t pid = StartProgram(options, interruptions);
  if (pid < 0) {
    fprintf(stderr, "velmora-capture-host: cannot start %s: %s\n", options.program.c_str(), strerror(errno));
    ParentRecordRelease(&segment);
    return kHostError;
  }
  ChildEnd end = WaitProgram(options, pid, interruptions);
  CaptureExchange record;
  memcpy(&record, segment.record, sizeof record);
  ParentRecordRelease(&segment);
  if (end.interruption != 0) return Interrupted(end.interruption);
  PrintResult(options, end, record);
  return HostExitStatus(end, record);
}
