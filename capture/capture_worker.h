// The capture worker: one capture on the first unit of UnitList beside the window's main loop.
//
// The window starts the worker once, before its main loop runs, when UnitList is not empty. The
// worker connects the unit, captures a sample, disconnects the unit and, when that went cleanly,
// asks the main loop to end through the callback that the window gave it; a failed capture is
// reported through another. A sample is published
// into TheCaptureState() only when the unit reported a successful capture.
//
// Thread rules: the worker runs detached and is never joined or cancelled. The main thread asks
// CaptureWorkerSettle() before the process ends, so that no plug-in library is unloaded and no
// static object destroyed while the worker may still be inside a plug-in call.
#ifndef VELMORA_CAPTURE_CAPTURE_WORKER_H_
#define VELMORA_CAPTURE_CAPTURE_WORKER_H_

#include <stdint.h>

class BioUnit;
class CaptureState;

// What the worker tells the window. Both are called on the worker thread and must be safe there.
struct CaptureWorkerEvents {
  // Asks the main loop to end, after a clean disconnect; must take effect even when the loop has
  // not started yet.
  void (*endMainLoop)();
  // The capture failed; called before the unit is disconnected. May be null.
  void (*captureFailed)();
};

// The worker's argument; the worker owns and frees it.
struct CaptureWorkerArgs {
  int32_t unitCount;
  CaptureWorkerEvents events;
};

// Connects, captures on and disconnects `unit`, logging each step, and publishes the sample into
// `state` only when the capture returned 0; calls `captureFailed` (when not null) otherwise. True
// when the unit was disconnected cleanly.
bool CaptureOnUnit(BioUnit* unit, CaptureState* state, void (*captureFailed)() = nullptr);

// The worker's entry function; takes a heap CaptureWorkerArgs. Captures on the first unit of
// UnitList when the count is not 0, ends the main loop after a clean disconnect, logs its end.
void* CaptureSampleThread(void* argument);

// Starts CaptureSampleThread detached with `unitCount` and `events`. 0 when the worker was
// started, -1 when it was not (nothing then runs and nothing is logged).
int StartCaptureWorker(int32_t unitCount, CaptureWorkerEvents events);

// Called by the main thread once its main loop has ended. False when a worker may still be inside
// a plug-in call (the caller must then leave the process without unloading anything). Otherwise
// true: no worker was started, or it has done its last plug-in call, in which case this waits for
// the few log lines it has left.
bool CaptureWorkerSettle();

#endif  // VELMORA_CAPTURE_CAPTURE_WORKER_H_
