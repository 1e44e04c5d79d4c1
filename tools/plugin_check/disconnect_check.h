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
// no longer for the worker.
constexpr std::chrono::milliseconds kDisconnectBound{100};

// A capture and a disconnect from a second thread while it waits for its finger.
struct DisconnectDuringSeen {
  bool endedFirst = false;  // the capture returned before the disconnect came
  int32_t disconnected = 0;
  bool returned = false;  // within kDisconnectBound of the disconnect
  int32_t result = 0;     // the capture's, when it returned
};

// A capture still running kDisconnectBound after the disconnect fails; one that ended first skips.
CheckVerdict JudgeDisconnectDuringCapture(const DisconnectDuringSeen& seen);

// A capture that starts after a disconnect: `returned` within kDisconnectBound, with `result`.
// Still running or a success warns.
CheckVerdict JudgeCaptureAfterDisconnect(bool returned, int32_t result);

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_DISCONNECT_CHECK_H_
