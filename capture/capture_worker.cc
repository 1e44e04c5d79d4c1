#include "capture/capture_worker.h"

#include <stdio.h>

#include <atomic>
#include <new>

#include "capture/capture_state.h"
#include "capture/thread_ops.h"
#include "units/capture_call.h"
#include "units/unit_list.h"

namespace {

enum WorkerPhase : int { kNotStarted, kInsidePlugin, kLeftPlugin, kEnded };

// A plain atomic has no destructor to run at exit, so the worker may touch it to the end.
std::atomic<int> g_WorkerPhase{kNotStarted};

void SetPhase(int phase) {
  g_WorkerPhase.store(phase);
  g_WorkerPhase.notify_all();
}

bool DisconnectUnit(BioUnit* unit) {
  if (unit->Disconnect() != 0) {
    printf("Failed: Disconnect\n");
    return false;
  }
  printf("Disconnect Succeeded\n");
  return true;
}

bool CaptureAndDisconnect(int32_t unitCount, void (*captureFailed)()) {
  bool disconnected = unitCount != 0 && CaptureOnUnit(UnitListFirst(), &TheCaptureState(), captureFailed);
  SetPhase(kLeftPlugin);
  return disconnected;
}

}  // namespace

bool CaptureOnUnit(BioUnit* unit, CaptureState* state, void (*captureFailed)()) {
  if (unit->Connect(0, 0, 0) == 0) printf("Connect succeeded\n");
  printf("Capturing...\n");
  // The worker's own cells: a failed capture must not leave a sample behind for the parent.
  CapturedSample captured = CaptureSample(*unit);
  if (captured.status == 0) {
    state->PublishSample(captured.sample, captured.sampleSize);
    printf("Capture succeeded\n");
  } else {
    printf("Failed: Capture\n");
    if (captureFailed) captureFailed();
  }
  return DisconnectUnit(unit);
}

void* CaptureSampleThread(void* argument) {
  CaptureWorkerArgs args = *static_cast<CaptureWorkerArgs*>(argument);
  delete static_cast<CaptureWorkerArgs*>(argument);
  if (CaptureAndDisconnect(args.unitCount, args.events.captureFailed) && args.events.endMainLoop)
    args.events.endMainLoop();
  printf("CaptureSampleThread END\n");
  SetPhase(kEnded);
  // Returning ends the thread with this null result just as ExitThread would, but without the
  // forced unwind for which the C library first loads the shared unwinder into the process.
  return nullptr;
}

int StartCaptureWorker(int32_t unitCount, CaptureWorkerEvents events) {
  CaptureWorkerArgs* args = new (std::nothrow) CaptureWorkerArgs{unitCount, events};
  if (!args) return -1;
  g_WorkerPhase.store(kInsidePlugin);
  pthread_t handle;
  if (StartThread(&handle, kThreadDetached, CaptureSampleThread, args)) return 0;
  g_WorkerPhase.store(kNotStarted);
  delete args;
  return -1;
}

bool CaptureWorkerSettle() {
  int phase = g_WorkerPhase.load();
  if (phase == kInsidePlugin) return false;
  while (phase == kLeftPlugin) {
    g_WorkerPhase.wait(phase);
    phase = g_WorkerPhase.load();
  }
  return true;
}
