// The hexadecimal dump of the record that ends the run's log.
//
// Thread rules: a plain function over a record; the caller keeps the record still while it runs.
#ifndef VELMORA_CAPTURE_SAMPLE_DUMP_H_
#define VELMORA_CAPTURE_SAMPLE_DUMP_H_

#include <string>

struct CaptureExchange;

// The record's first SampleSize bytes as " %02X" items, a "\n" after every 16th item when more
// follow, and one final "\n". The dump stays inside the record: a negative SampleSize dumps no
// byte, a larger one than the record dumps the whole record.
std::string FormatSampleDump(const CaptureExchange* record);

#endif  // VELMORA_CAPTURE_SAMPLE_DUMP_H_
