#include "capture/capture_state.h"

#include <string.h>

#include <new>

bool CaptureState::SetEnrolled(const uint8_t* source, int32_t count, uint8_t reserved) {
  int32_t size = count > 0 ? count : 0;
  // One byte more than asked, so that an empty list is a valid allocation as well.
  std::unique_ptr<uint8_t[]> list(new (std::nothrow) uint8_t[size + 1]);
  if (!list) return false;
  memset(list.get(), 0, size + 1);
  if (size > 0) memcpy(list.get(), source, size);
  m_Enrolled = std::move(list);
  m_EnrollmentSize = size;
  m_Reserved = reserved;
  return true;
}

void CaptureState::PublishSample(unsigned char* sample, int32_t sampleSize) {
  std::lock_guard<std::mutex> lock(m_SampleMutex);
  m_Sample = sample;
  m_SampleSize = sampleSize;
}

void CaptureState::GetSample(unsigned char** sample, int32_t* sampleSize) const {
  std::lock_guard<std::mutex> lock(m_SampleMutex);
  *sample = m_Sample;
  *sampleSize = m_SampleSize;
}

CaptureState& TheCaptureState() {
  static CaptureState* state = new CaptureState;
  return *state;
}
