// One run of velmora-capture-host: segment, program, result, clean-up.
//
// Thread rules: main thread only; called once per process.
#ifndef VELMORA_TOOLS_CAPTURE_HOST_HOST_RUN_H_
#define VELMORA_TOOLS_CAPTURE_HOST_HOST_RUN_H_

#include "tools/capture_host/host_options.h"

// Creates the segment under key, writes the request, runs the program, prints the result on
// stdout and removes the segment. Gives the host's exit status (kHostSample, kHostNoSample,
// kHostNotFinished, or kHostError with the reason on stderr). When the host is interrupted it
// ends the program, removes the segment and ends by the same signal.
int RunHost(const HostOptions& options, int key);

#endif  // VELMORA_TOOLS_CAPTURE_HOST_HOST_RUN_H_
