#include "capture/capture_controller.h"

#include <stdio.h>
#include <unistd.h>

#include "capture/capture_state.h"
#include "capture/capture_worker.h"
#include "capture/exchange_segment.h"
#include "capture/sample_dump.h"
#include "units/unit_list.h"

CaptureController::CaptureController() { InstallUnitList(EnumerateUnits()); }

bool CaptureController::SetEnrolledList(const uint8_t* source, int32_t count, uint8_t reserved) {
  return TheCaptureState().SetEnrolled(source, count, reserved);
}

long CaptureController::UnitCount() const { return UnitListCount(); }

void CaptureController::GetSample(unsigned char** sample, int32_t* sampleSize) const {
  TheCaptureState().GetSample(sample, sampleSize);
}

FingerNumber CaptureController::SelectedFinger() const { return TheCaptureState().SelectedFinger(); }

namespace {

// A segment that another user created is refused before anything is logged or written.
bool SegmentUsable(int shmid) {
  switch (ExchangeTrust(shmid)) {
    case SegmentTrust::kTrusted:
      return true;
    case SegmentTrust::kOpen:
      fputs("velmora-capture: warning: other users may read or write the shared-memory segment\n", stderr);
      return true;
    case SegmentTrust::kForeign:
      fputs("shmget: segment belongs to another user\n", stderr);
      return false;
    case SegmentTrust::kUnknown:
      perror("shmctl");
      return false;
  }
  return false;
}

}  // namespace

CaptureExchange* CaptureController::AttachRecord() {
  int shmid = ExchangeLookup(kExchangeKey);
  if (shmid == -1) {
    perror("shmget");
    return nullptr;
  }
  if (!SegmentUsable(shmid)) return nullptr;
  printf("shmid: %d\n", shmid);
  CaptureExchange* record = ExchangeAttach(shmid);
  if (!record) perror("shmat");
  return record;
}

bool CaptureController::TakeRequest(const CaptureExchange* record) {
  ExchangeRequest request = ExchangeReadRequest(record);
  printf("Staring Dactyra main: enrollmentSize[%d]\n", request.enrollmentSize);
  for (int32_t i = 0; i < request.count; ++i) printf("%x\n", request.enrolled[i]);
  printf("UnitCount = [%ld]\n", UnitCount());
  if (SetEnrolledList(request.enrolled, request.count, request.reserved)) return true;
  printf("Enrolled fingerprints: memory allocation failed!\n");
  return false;
}

void CaptureController::WriteResult(CaptureExchange* record, long unitCount) {
  unsigned char* sample = nullptr;
  int32_t sampleSize = 0;
  GetSample(&sample, &sampleSize);
  if (sample)
    ExchangeWriteResult(record, sample, sampleSize, SelectedFinger(), static_cast<int32_t>(unitCount));
  printf("SampleSize: %d\n", static_cast<int>(record->SampleSize));
  fputs(FormatSampleDump(record).c_str(), stdout);
  printf("Selected finger: %d\n", record->selected);
  ExchangeMarkDone(record);
  printf("bIsScanDone: %s\n", "true");
}

int CaptureController::Run(RunFingerWindowFn runWindow) {
  CaptureExchange* record = AttachRecord();
  if (!record) return 1;
  long unitCount = UnitCount();
  if (!TakeRequest(record)) return 1;
  runWindow(&m_WindowWidgets);
  bool workerSettled = CaptureWorkerSettle();
  WriteResult(record, unitCount);
  if (!workerSettled) {
    // The worker is still inside the plug-in. Every way out keeps its library mapped (the units'
    // exit-time close), but this one also spares the library's own destructors, which exit()
    // would run under the call, and ends the log with the result.
    fflush(stdout);
    _exit(0);
  }
  return 0;
}
