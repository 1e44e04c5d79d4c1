// disconnect-during-capture and capture-after-disconnect: the window's FpxDisconnect from another
// thread than the capture's, measured in a child and judged apart from the plug-in.
//
// Thread rules: none; the judging is a pure function.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_DISCONNECT_CHECK_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_DISCONNECT_CHECK_H_

#include <stdint.h>

#include <chrono>

#include "tools/plugin_check/check_verdict.h"

// How long a capture may go on after the disconnect that should end it: the window's close waits
// no longer for the worker. --slow multiplies it for builds and machines that run the plug-in
// slower than a user's.
constexpr std::chrono::milliseconds kDisconnectBound{100};

// A capture and a disconnect from a second thread while it waits for its finger.
struct DisconnectDuringSeen {
  bool endedFirst = false;  // the capture returned before the disconnect came
  int32_t disconnected = 0;
  bool returned = false;  // within `bound` of the disconnect
  int32_t result = 0;     // the capture's, when it returned
  std::chrono::milliseconds bound = kDisconnectBound;
};

// A capture still running `bound` after the disconnect fails; one that ended first skips.
CheckVerdict JudgeDisconnectDuringCapture(const DisconnectDuringSeen& seen);

// A capture that starts after a disconnect: `returned` within `bound`, with `result`. Still
// running or a success warns.
CheckVerdict JudgeCaptureAfterDisconnect(bool returned, int32_t result,
                                         std::chrono::milliseconds bound = kDisconnectBound);

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_DISCONNECT_CHECK_H_
