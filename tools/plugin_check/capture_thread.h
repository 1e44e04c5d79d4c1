// A capture on a thread of its own, as the program's worker runs it, so that a check can act from
// a second thread while the capture runs and wait for it with a bound.
//
// The thread is detached: a capture that never returns is left behind when the check's child
// ends. Its state is shared with the thread, which keeps it alive as long as it runs.
//
// Thread rules: the methods are called from one thread, the check's.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_CAPTURE_THREAD_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_CAPTURE_THREAD_H_

#include <stdint.h>
#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "units/bio_unit.h"

class CaptureThread {
 public:
  // Starts the thread: ConnectForCapture first when `connectFirst`, then CaptureSample
  // (units/capture_call.h). `unit` must outlive the thread, which the check's child guarantees by
  // never releasing it while the thread may run.
  CaptureThread(BioUnit* unit, bool connectFirst);

  // Waits, without a bound of its own, until the thread is about to call CaptureSample.
  void AwaitCaptureCall();

  // Waits until the capture has returned, or the thread is seen asleep inside it (waiting for its
  // finger), or `bound` has passed (a capture that spins). Call after AwaitCaptureCall.
  void AwaitInside(std::chrono::milliseconds bound);

  // Waits at most `bound` for the capture to return. True when it has.
  bool AwaitReturn(std::chrono::milliseconds bound);

  // The capture's result; valid once AwaitReturn gave true.
  int32_t Result() const;

 private:
  struct Shared {
    std::mutex lock;
    std::condition_variable changed;
    bool calling = false;   // guarded by lock
    bool returned = false;  // guarded by lock
    pid_t thread = 0;       // guarded by lock; the kernel's id of the capture thread
    int32_t result = -1;    // guarded by lock
  };
  std::shared_ptr<Shared> m_Shared;
};

// Whether the kernel has thread `thread` of this process asleep (state S or D).
bool ThreadSleeps(pid_t thread);

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_CAPTURE_THREAD_H_
