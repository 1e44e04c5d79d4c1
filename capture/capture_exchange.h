// CaptureExchange: the one record shared with the parent process.
//
// The parent creates a System V segment holding one record, fills in the enrolled fingers, starts
// the program and reads the result after it has exited. The record is packed and little-endian;
// the parent reads these offsets, so none of them may move.
//
// Reading and writing are plain functions over a record pointer, so they work on an ordinary
// local record as well as on the attached segment. The program reads the request and writes the
// result; whatever plays the parent writes the request. Thread rules: only the main thread touches
// the record, and only before the window is built and after its main loop has ended.
#ifndef VELMORA_CAPTURE_CAPTURE_EXCHANGE_H_
#define VELMORA_CAPTURE_CAPTURE_EXCHANGE_H_

#include <stddef.h>
#include <stdint.h>

#include "capture/finger_number.h"

// The segment's identity, fixed by the parent.
constexpr int kExchangeKey = 43623;  // 0xAA67
constexpr size_t kExchangeSize = 284;
constexpr int kExchangeMaxEnrolled = kFingerCount;  // one byte for each finger
constexpr int kExchangeSampleArea = 256;

#pragma pack(push, 1)
struct CaptureExchange {
  unsigned char sample[kExchangeSampleArea];  // NUL-terminated sample, written by the program
  int32_t SampleSize;                         // length that the unit reported
  int32_t enrollmentSize;                     // written by the parent: valid entries below
  FingerNumber enrolled[kExchangeMaxEnrolled];
  uint8_t reserved;       // read with the list, given no meaning
  FingerNumber selected;  // m_SelectedFinger when the run ended
  uint8_t bIsScanDone;    // 1 when the program has finished
  uint8_t doneCompanion;  // 0, stored together with bIsScanDone
  uint8_t gap[2];         // never touched
  int32_t UnitCount;      // units found
};
#pragma pack(pop)

static_assert(sizeof(CaptureExchange) == kExchangeSize);
static_assert(offsetof(CaptureExchange, sample) == 0);
static_assert(offsetof(CaptureExchange, SampleSize) == 256);
static_assert(offsetof(CaptureExchange, enrollmentSize) == 260);
static_assert(offsetof(CaptureExchange, enrolled) == 264);
static_assert(offsetof(CaptureExchange, reserved) == 274);
static_assert(offsetof(CaptureExchange, selected) == 275);
static_assert(offsetof(CaptureExchange, bIsScanDone) == 276);
static_assert(offsetof(CaptureExchange, doneCompanion) == 277);
static_assert(offsetof(CaptureExchange, gap) == 278);
static_assert(offsetof(CaptureExchange, UnitCount) == 280);

// The request, as the program reads it and as the parent writes it.
struct ExchangeRequest {
  int32_t enrollmentSize;  // as the parent wrote it, for the log
  int32_t count;           // the entries of enrolled that count: enrollmentSize clamped to 0..10
  FingerNumber enrolled[kExchangeMaxEnrolled];
  uint8_t reserved;
};

// Reads enrollmentSize, the enrolled list and the reserved byte.
ExchangeRequest ExchangeReadRequest(const CaptureExchange* record);

// Writes the parent's request: enrollmentSize as given (any value, for a parent that tests the
// program), the first count entries of the enrolled list (count clamped to 0..10; the entries after
// them keep their contents) and the reserved byte. Touches no other field.
void ExchangeWriteRequest(CaptureExchange* record, const ExchangeRequest& request);

// Writes the result fields in the parent's order: sample (cut to 255 bytes and a terminator;
// bytes after the terminator keep their contents), SampleSize, selected finger, UnitCount.
// Called only when a sample exists.
void ExchangeWriteResult(CaptureExchange* record, const unsigned char* sample, int32_t sampleSize,
                         FingerNumber selected, int32_t unitCount);

// Sets bIsScanDone to 1 and its companion byte to 0 in one 16-bit store.
void ExchangeMarkDone(CaptureExchange* record);

#endif  // VELMORA_CAPTURE_CAPTURE_EXCHANGE_H_
