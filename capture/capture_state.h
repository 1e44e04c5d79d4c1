// CaptureState: what the run knows about the fingers and the sample, shared by the threads.
//
// One process-wide instance, TheCaptureState(), holds the enrolled list copied from the record,
// the finger that the user chose in the window and the sample that the capture worker got.
//
// Thread rules: the main thread sets the enrolled list before the window is built and reads the
// result after the main loop has ended; the window's click handlers (main thread) write the
// selected finger; the capture worker publishes the sample. The sample pointer and its length are
// published and read together under one mutex, so a reader sees either both or neither.
#ifndef VELMORA_CAPTURE_CAPTURE_STATE_H_
#define VELMORA_CAPTURE_CAPTURE_STATE_H_

#include <stdint.h>

#include <memory>
#include <mutex>

#include "capture/finger_number.h"

class CaptureState {
 public:
  // Copies `count` bytes from `source` into a list of its own (a count of 0 or less keeps no
  // entry). The reserved byte travels with the list and is given no meaning. False, with the
  // previous list kept, when the storage cannot be obtained.
  bool SetEnrolled(const uint8_t* source, int32_t count, uint8_t reserved);

  // The enrolled list: EnrollmentSize() bytes, each meant as a FingerNumber (not checked).
  const uint8_t* Enrolled() const { return m_Enrolled.get(); }
  int32_t EnrollmentSize() const { return m_EnrollmentSize; }
  uint8_t Reserved() const { return m_Reserved; }

  // The finger that the window reported last; 0 until a finger button was chosen.
  FingerNumber SelectedFinger() const { return m_SelectedFinger; }
  void SetSelectedFinger(FingerNumber finger) { m_SelectedFinger = finger; }

  // Makes a captured sample visible: `sample` stays owned by the plug-in that produced it.
  void PublishSample(unsigned char* sample, int32_t sampleSize);

  // The published sample and its length, or null and 0 when no capture succeeded.
  void GetSample(unsigned char** sample, int32_t* sampleSize) const;

 private:
  std::unique_ptr<uint8_t[]> m_Enrolled;
  int32_t m_EnrollmentSize = 0;
  uint8_t m_Reserved = 0;
  FingerNumber m_SelectedFinger = 0;

  mutable std::mutex m_SampleMutex;
  unsigned char* m_Sample = nullptr;  // guarded by m_SampleMutex
  int32_t m_SampleSize = 0;           // guarded by m_SampleMutex
};

// The process-wide state. It is never destroyed, so a worker that outlives the main loop never
// touches a destroyed object.
CaptureState& TheCaptureState();

#endif  // VELMORA_CAPTURE_CAPTURE_STATE_H_
