#include "capture/sample_dump.h"

#include <stdio.h>

#include "capture/capture_exchange.h"

namespace {

size_t DumpLength(int32_t sampleSize) {
  if (sampleSize < 0) return 0;
  return static_cast<size_t>(sampleSize) < kExchangeSize ? sampleSize : kExchangeSize;
}

}  // namespace

std::string FormatSampleDump(const CaptureExchange* record) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(record);
  size_t length = DumpLength(record->SampleSize);
  std::string dump;
  for (size_t i = 0; i < length; ++i) {
    char item[8];
    snprintf(item, sizeof item, " %02X", bytes[i]);
    dump += item;
    if ((i + 1) % 16 == 0 && i + 1 < length) dump += "\n";
  }
  return dump + "\n";
}
