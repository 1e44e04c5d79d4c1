// capture-sequence, disconnect-during-capture and capture-after-disconnect: the capture worker's
// calls, and the window's Disconnect from the other thread.
#include <string.h>

#include <string>

#include "tools/plugin_check/capture_thread.h"
#include "tools/plugin_check/plugin_checks.h"
#include "tools/plugin_check/plugin_session.h"
#include "tools/plugin_check/plugin_text.h"
#include "units/capture_call.h"

namespace {

using std::chrono::milliseconds;

// How long a capture may go on after the disconnect that should end it: the window's close waits
// no longer for the worker. The checks' messages name it.
constexpr milliseconds kDisconnectBound{100};
// How long a check waits to see the capture asleep in the plug-in before it disconnects anyway.
constexpr milliseconds kSettleBound{1000};

std::string Status(int32_t status) { return std::to_string(status); }

std::string DisconnectBoundText() { return std::to_string(kDisconnectBound.count()) + " ms"; }

std::string UnitCall(const char* entry, uint32_t id, const char* rest = "") {
  return std::string(entry) + "(" + std::to_string(id) + rest + ")";
}

}  // namespace

CheckVerdict CheckDisconnectDuringCapture(const CheckContext& context) {
  CheckVerdict verdict;
  CheckedUnits& found = DiscoverLastingUnit(context, &verdict);
  if (found.unit == nullptr) return verdict;
  context.channel.Step(UnitCall("FpxConnect", found.id, ", 0, 0, 0") + " on the capture thread");
  CaptureThread capture(found.unit, true);
  capture.AwaitCaptureCall();
  context.channel.Step(UnitCall("FpxSensorCaptureSample", found.id, ", 2, 1, ...") +
                       " on the capture thread");
  capture.AwaitInside(kSettleBound);
  if (capture.AwaitReturn(milliseconds(0))) {
    verdict.Add(CheckResult::kSkip,
                "the capture ended (status " + Status(capture.Result()) +
                    ") before the disconnect came; run with no finger on the reader to judge this");
    return verdict;
  }
  context.channel.Step(UnitCall("FpxDisconnect", found.id) + " from a second thread while the capture runs");
  int32_t disconnected = found.unit->Disconnect();
  if (!capture.AwaitReturn(kDisconnectBound)) {
    verdict.Add(CheckResult::kFail, "the capture still runs " + DisconnectBoundText() +
                                        " after FpxDisconnect from another thread (which returned " +
                                        Status(disconnected) + "): closing the window does not end it");
    return verdict;
  }
  verdict.Add(CheckResult::kPass,
              "the capture returned " + Status(capture.Result()) + " after FpxDisconnect");
  context.channel.Step(UnitCall("FpxDisconnect", found.id) + ", the worker's own after its capture");
  found.unit->Disconnect();
  return verdict;
}

CheckVerdict CheckCaptureAfterDisconnect(const CheckContext& context) {
  CheckVerdict verdict;
  CheckedUnits& found = DiscoverLastingUnit(context, &verdict);
  if (found.unit == nullptr) return verdict;
  context.channel.Step(UnitCall("FpxConnect", found.id, ", 0, 0, 0"));
  ConnectForCapture(*found.unit);
  context.channel.Step(UnitCall("FpxDisconnect", found.id));
  found.unit->Disconnect();
  context.channel.Step(UnitCall("FpxSensorCaptureSample", found.id, ", 2, 1, ...") + " after the disconnect");
  CaptureThread capture(found.unit, false);
  if (!capture.AwaitReturn(kDisconnectBound)) {
    verdict.Add(CheckResult::kWarn,
                "a capture that starts after FpxDisconnect still runs " + DisconnectBoundText() +
                    " later: a window closed just before the capture starts leaves it waiting");
    return verdict;
  }
  if (capture.Result() == 0)
    verdict.Add(CheckResult::kWarn,
                "a capture that starts after FpxDisconnect returned 0 (expected non-zero)");
  else
    verdict.Add(CheckResult::kPass, "a capture after FpxDisconnect returned " + Status(capture.Result()));
  context.channel.Step(UnitCall("FpxDisconnect", found.id) + ", the worker's own after its capture");
  found.unit->Disconnect();
  return verdict;
}
