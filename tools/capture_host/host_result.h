// What velmora-capture-host makes of a run: how the program ended, what it left in the record,
// the host's exit status and the two ways of printing it.
//
// Plain functions over copies, testable without a segment or a child. Thread rules: none.
#ifndef VELMORA_TOOLS_CAPTURE_HOST_HOST_RESULT_H_
#define VELMORA_TOOLS_CAPTURE_HOST_HOST_RESULT_H_

#include <string>

#include "capture/capture_exchange.h"
#include "process/child_wait.h"

// The host's exit statuses: a sample; an error of the host's own; no sample; a run that did not finish.
enum HostStatus : int { kHostSample = 0, kHostError = 1, kHostNoSample = 2, kHostNotFinished = 3 };

// True when the program finished: it exited by itself with status 0 after setting bIsScanDone.
// A crash or a kill after the flag was set leaves the record in doubt, so it does not count.
bool RunFinished(const ChildEnd& end, const CaptureExchange& record);

// True when the record carries a result. The host hands the program a zeroed record and the
// program writes the four result fields only for a sample, with a UnitCount of at least 1, so a
// non-zero sample, SampleSize or UnitCount marks one.
bool RecordHasSample(const CaptureExchange& record);

// kHostSample, kHostNoSample or kHostNotFinished for a run that the host saw to its end.
int HostExitStatus(const ChildEnd& end, const CaptureExchange& record);

// The bytes of the sample area up to its terminator (all 256 when it has none), as lower-case hex.
std::string SampleHex(const CaptureExchange& record);

// A few "name: value" lines for a person, ending in a newline.
std::string FormatSummary(const ChildEnd& end, const CaptureExchange& record);

// One JSON object on one line, ending in a newline, with the keys exit_status (null when the
// program did not exit), signal (null when it exited), timed_out, done, sample_size, sample (hex),
// finger, finger_name (null outside 1..10) and units.
std::string FormatJson(const ChildEnd& end, const CaptureExchange& record);

#endif  // VELMORA_TOOLS_CAPTURE_HOST_HOST_RESULT_H_
