#include "tools/capture_host/host_run.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "capture/parent_record.h"
#include "tools/capture_host/host_child.h"
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
  HostRaise(signal);
  return 128 + signal;
}

pid_t StartProgram(const HostOptions& options, const HostSignals& signals) {
  char* const argv[] = {const_cast<char*>(options.program.c_str()), nullptr};
  return HostStartChild(HostCommand{argv}, signals);
}

}  // namespace

int RunHost(const HostOptions& options, int key) {
  HostSignals signals = HostBlockSignals(HostInterrupts::kTaken);
  ParentRecord segment;
  if (!CreateSegment(key, options, &segment)) return kHostError;
  pid_t pid = StartProgram(options, signals);
  if (pid < 0) {
    fprintf(stderr, "velmora-capture-host: cannot start %s: %s\n", options.program.c_str(), strerror(errno));
    ParentRecordRelease(&segment);
    return kHostError;
  }
  ChildEnd end;
  int signal = HostWaitChild(pid, options.timeoutSeconds, signals, &end);
  CaptureExchange record;
  memcpy(&record, segment.record, sizeof record);
  ParentRecordRelease(&segment);
  if (signal != 0) return Interrupted(signal);
  PrintResult(options, end, record);
  return HostExitStatus(end, record);
}
