// capture-sequence: the capture worker's calls on one unit and the sample as the program copies
// it into the parent's record, measured in a child and judged apart from the plug-in.
//
// Thread rules: none; the judging is a pure function.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_CAPTURE_SEQUENCE_CHECK_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_CAPTURE_SEQUENCE_CHECK_H_

#include <stdint.h>

#include <string>

#include "tools/plugin_check/check_verdict.h"

// What the sample looked like right after the capture, before any other call on the unit.
struct SeenSample {
  bool given = false;       // a non-null sample came with status 0
  bool terminated = false;  // a NUL byte within the record's sample area
  int32_t sampleSize = 0;   // as the plug-in reported it
  std::string copied;       // what the parent's record receives (up to the first NUL, cut)
  int32_t recordSize = 0;   // the SampleSize that the record receives
};

struct CaptureSequenceSeen {
  int32_t connected = 0;
  int32_t captured = 0;
  int32_t disconnected = 0;
  SeenSample sample;
};

// A failed capture, a missing sample, a sample without its NUL within the record's area and a
// failed disconnect fail; a failed connect and a size that the record does not receive warn.
CheckVerdict JudgeCaptureSequence(const CaptureSequenceSeen& seen);

// The sample `bytes` of `sampleSize` as the program copies it; `bytes` is not null.
SeenSample CopySample(const unsigned char* bytes, int32_t sampleSize);

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_CAPTURE_SEQUENCE_CHECK_H_
