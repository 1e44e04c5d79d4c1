// CaptureController: the program's run, from the unit discovery to the result in the record.
//
// The constructor discovers the units and installs them as UnitList; Run() attaches the parent's
// record, takes over the enrolled fingers, runs the finger window and writes the result back.
//
// Thread rules: main thread only. One controller per process, on the entry point's stack.
#ifndef VELMORA_CAPTURE_CAPTURE_CONTROLLER_H_
#define VELMORA_CAPTURE_CAPTURE_CONTROLLER_H_

#include <stdint.h>

#include "capture/capture_exchange.h"

struct FingerWindow;

// Builds the finger window, stores its widget table in *widgets and runs its main loop until the
// user closes the window or the capture worker ends the loop.
using RunFingerWindowFn = void (*)(FingerWindow** widgets);

class CaptureController {
 public:
  // Runs the unit discovery and installs its result as UnitList. Throws std::runtime_error
  // ("FpxGetInfo failed") when a plug-in cannot describe a unit, before any record is touched.
  CaptureController();

  // Copies the enrolled list into TheCaptureState(). False when its storage cannot be obtained.
  bool SetEnrolledList(const uint8_t* source, int32_t count, uint8_t reserved);

  // The number of units in UnitList.
  long UnitCount() const;

  // The published sample and its length (null and 0 when none was captured).
  void GetSample(unsigned char** sample, int32_t* sampleSize) const;

  // The finger that the window reported last, 0 when none.
  FingerNumber SelectedFinger() const;

  // The whole run over the parent's record, with `runWindow` as its window; gives the process's
  // exit status. Ends the process itself, with status 0 after the result is written, when the
  // window was closed while the worker is still inside a plug-in call.
  int Run(RunFingerWindowFn runWindow);

 private:
  CaptureExchange* AttachRecord();
  bool TakeRequest(const CaptureExchange* record);
  void WriteResult(CaptureExchange* record, long unitCount);

  FingerWindow* m_WindowWidgets = nullptr;  // never released; the process ends soon after
};

#endif  // VELMORA_CAPTURE_CAPTURE_CONTROLLER_H_
