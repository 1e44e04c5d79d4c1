// Fuzz target for the exchange record: an arbitrary record goes through the request reading, the
// result writing with an arbitrary sample, the done mark and the dump, as the end of a run takes
// them, and every byte of the record is checked against what each step may change.
//
// Build (clang only; the target is made only with the option on):
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DVELMORA_FUZZ=ON
//   ninja -C build-fuzz exchange_record_fuzz
// Run: build-fuzz/capture/exchange_record_fuzz -max_len=600 CORPUS tests/fuzz/exchange_record
// (scripts/fuzz-smoke does it for a bounded time). Without the option the same checks are built
// into exchange_record_replay, which ctest runs over the seeds.
//
// Input layout: 284 bytes of record (missing bytes are 0); byte 284 the flags (bit 0: no sample
// was captured, bit 1: the record is one byte off its alignment); bytes 285-288 the sample size
// that the unit reported, 289 the selected finger, 290-293 the unit count, little-endian; the rest
// is the sample. A sample shorter than the area gets a terminator after it, as a unit's string
// has one; a longer one is given as it is, since no more than 255 of its bytes may be read.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "capture/capture_exchange.h"
#include "capture/sample_dump.h"

namespace {

void Check(bool condition, const char* what) {
  if (condition) return;
  fprintf(stderr, "invariant failed: %s\n", what);
  abort();
}

int32_t Int32At(const unsigned char* bytes) {
  uint32_t value = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  return static_cast<int32_t>(value);
}

// The dump as its header documents it, built from the bytes alone.
std::string ModelDump(const unsigned char* bytes) {
  int32_t size = Int32At(bytes + 256);
  size_t length = size < 0 ? 0 : std::min<size_t>(size, kExchangeSize);
  std::string dump;
  for (size_t i = 0; i < length; ++i) {
    const char* digits = "0123456789ABCDEF";
    dump += ' ';
    dump += digits[bytes[i] >> 4];
    dump += digits[bytes[i] & 15];
    if ((i + 1) % 16 == 0 && i + 1 < length) dump += '\n';
  }
  return dump + '\n';
}

// True when the two records differ only inside [from, to).
bool SameOutside(const unsigned char* a, const unsigned char* b, size_t from, size_t to) {
  return memcmp(a, b, from) == 0 && memcmp(a + to, b + to, kExchangeSize - to) == 0;
}

void CheckDump(const CaptureExchange* record) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(record);
  std::string dump = FormatSampleDump(record);
  Check(dump == ModelDump(bytes), "dump");
  Check(dump.size() <= kExchangeSize * 3 + (kExchangeSize + 15) / 16, "dump bounded by the record");
}

void CheckRequest(const unsigned char* bytes, const CaptureExchange* record) {
  ExchangeRequest request = ExchangeReadRequest(record);
  int32_t size = Int32At(bytes + 260);
  int32_t count = std::clamp<int32_t>(size, 0, kExchangeMaxEnrolled);
  Check(request.enrollmentSize == size, "enrollmentSize as the parent wrote it");
  Check(request.count == count, "count clamped to the list");
  Check(memcmp(request.enrolled, bytes + 264, count) == 0, "enrolled list");
  for (int i = count; i < kExchangeMaxEnrolled; ++i)
    Check(request.enrolled[i] == 0, "entries past the count");
  Check(request.reserved == bytes[274], "reserved byte");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  unsigned char parent[kExchangeSize] = {};
  memcpy(parent, data, std::min(size, kExchangeSize));
  unsigned char tail[10] = {};
  if (size > kExchangeSize) memcpy(tail, data + kExchangeSize, std::min<size_t>(size - kExchangeSize, 10));
  bool noSample = tail[0] & 1;
  size_t offset = tail[0] & 2 ? 1 : 0;
  int32_t sampleSize = Int32At(tail + 1);
  FingerNumber selected = tail[5];
  int32_t unitCount = Int32At(tail + 6);
  size_t head = std::min<size_t>(size, kExchangeSize + 10);
  std::vector<unsigned char> given(data + head, data + size);

  // The record fills its allocation to the end, so that the address sanitizer sees any byte
  // written or read past it; the sample likewise.
  std::unique_ptr<unsigned char[]> block(new unsigned char[kExchangeSize + offset]);
  auto* record = reinterpret_cast<CaptureExchange*>(block.get() + offset);
  memcpy(record, parent, kExchangeSize);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(record);

  CheckRequest(parent, record);
  Check(memcmp(bytes, parent, kExchangeSize) == 0, "the request reading changed the record");
  CheckDump(record);

  if (!noSample) {
    size_t area = kExchangeSampleArea - 1;
    if (given.size() < area) given.push_back('\0');
    std::unique_ptr<unsigned char[]> sample(new unsigned char[given.size()]);
    memcpy(sample.get(), given.data(), given.size());
    ExchangeWriteResult(record, sample.get(), sampleSize, selected, unitCount);
    size_t length = strnlen(reinterpret_cast<const char*>(given.data()), std::min(given.size(), area));
    Check(memcmp(bytes, given.data(), length) == 0 && bytes[length] == '\0', "sample copied, cut and ended");
    Check(memcmp(bytes + length + 1, parent + length + 1, kExchangeSampleArea - length - 1) == 0,
          "bytes after the terminator kept");
    Check(Int32At(bytes + 256) == sampleSize, "SampleSize as the unit reported it");
    Check(bytes[275] == selected, "selected finger");
    Check(Int32At(bytes + 280) == unitCount, "UnitCount");
    Check(memcmp(bytes + 260, parent + 260, 275 - 260) == 0 && memcmp(bytes + 276, parent + 276, 4) == 0,
          "the request and the done word untouched by the result");
  } else {
    Check(memcmp(bytes, parent, kExchangeSize) == 0, "no sample, no change");
  }
  CheckDump(record);

  unsigned char written[kExchangeSize];
  memcpy(written, bytes, kExchangeSize);
  ExchangeMarkDone(record);
  Check(bytes[276] == 1 && bytes[277] == 0, "done word");
  Check(SameOutside(bytes, written, 276, 278), "the done mark changed another byte");
  CheckRequest(bytes, record);
  return 0;
}
