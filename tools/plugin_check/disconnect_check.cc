// disconnect-during-capture and capture-after-disconnect: the capture worker's calls on one
// thread, the window's FpxDisconnect on another.
#include "tools/plugin_check/disconnect_check.h"

#include <string>

#include "tools/plugin_check/call_text.h"
#include "tools/plugin_check/capture_thread.h"
#include "tools/plugin_check/plugin_checks.h"
#include "tools/plugin_check/plugin_session.h"
#include "units/capture_call.h"

namespace {

// How long a check waits to see the capture asleep in the plug-in before it disconnects anyway.
constexpr std::chrono::milliseconds kSettleBound{1000};

std::string BoundText(std::chrono::milliseconds bound) { return std::to_string(bound.count()) + " ms"; }

std::chrono::milliseconds BoundOf(const CheckContext& context) {
  return kDisconnectBound * context.options.slowFactor;
}

std::string DisconnectText(uint32_t id) { return CallText(FPX_DISCONNECT_NAME, id); }

// The disconnect from the second thread while the capture sleeps in the plug-in.
DisconnectDuringSeen DisconnectWhileCapturing(CheckedUnits& found, const CheckContext& context) {
  DisconnectDuringSeen seen;
  seen.bound = BoundOf(context);
  context.channel.Step(ConnectCallText(found.id) + " on the capture thread");
  CaptureThread capture(found.unit, true);
  capture.AwaitCaptureCall();
  context.channel.Step(CaptureCallText(found.id) + " on the capture thread");
  capture.AwaitInside(kSettleBound);
  seen.endedFirst = capture.AwaitReturn(std::chrono::milliseconds(0));
  if (!seen.endedFirst) {
    context.channel.Step(DisconnectText(found.id) + " from a second thread while the capture runs");
    seen.disconnected = found.unit->Disconnect();
  }
  seen.returned = seen.endedFirst || capture.AwaitReturn(seen.bound);
  if (seen.returned) seen.result = capture.Result();
  return seen;
}

// The worker's own disconnect after its capture returned.
void WorkersDisconnect(CheckedUnits& found, const CheckContext& context) {
  context.channel.Step(DisconnectText(found.id) + ", the worker's own after its capture");
  found.unit->Disconnect();
}

}  // namespace

CheckVerdict JudgeDisconnectDuringCapture(const DisconnectDuringSeen& seen) {
  CheckVerdict verdict;
  if (seen.endedFirst)
    verdict.Add(CheckResult::kSkip,
                "the capture ended (status " + StatusText(seen.result) +
                    ") before the disconnect came; run with no finger on the reader to judge this");
  else if (!seen.returned)
    verdict.Add(CheckResult::kFail, "the capture still runs " + BoundText(seen.bound) +
                                        " after FpxDisconnect from another thread (which returned " +
                                        StatusText(seen.disconnected) +
                                        "): closing the window does not end it");
  else
    verdict.Add(CheckResult::kPass,
                "the capture returned " + StatusText(seen.result) + " after FpxDisconnect");
  return verdict;
}

CheckVerdict JudgeCaptureAfterDisconnect(bool returned, int32_t result, std::chrono::milliseconds bound) {
  CheckVerdict verdict;
  if (!returned)
    verdict.Add(CheckResult::kWarn,
                "a capture that starts after FpxDisconnect still runs " + BoundText(bound) +
                    " later: a window closed just before the capture starts leaves it waiting");
  else if (result == 0)
    verdict.Add(CheckResult::kWarn,
                "a capture that starts after FpxDisconnect returned 0 (expected non-zero)");
  else
    verdict.Add(CheckResult::kPass, "a capture after FpxDisconnect returned " + StatusText(result));
  return verdict;
}

CheckVerdict CheckDisconnectDuringCapture(const CheckContext& context) {
  CheckVerdict skipped;
  CheckedUnits& found = DiscoverLastingUnit(context, &skipped);
  if (found.unit == nullptr) return skipped;
  DisconnectDuringSeen seen = DisconnectWhileCapturing(found, context);
  if (seen.returned && !seen.endedFirst) WorkersDisconnect(found, context);
  return JudgeDisconnectDuringCapture(seen);
}

CheckVerdict CheckCaptureAfterDisconnect(const CheckContext& context) {
  CheckVerdict skipped;
  CheckedUnits& found = DiscoverLastingUnit(context, &skipped);
  if (found.unit == nullptr) return skipped;
  context.channel.Step(ConnectCallText(found.id));
  ConnectForCapture(*found.unit);
  context.channel.Step(DisconnectText(found.id));
  found.unit->Disconnect();
  context.channel.Step(CaptureCallText(found.id) + " after the disconnect");
  CaptureThread capture(found.unit, false);
  bool returned = capture.AwaitReturn(BoundOf(context));
  if (returned) WorkersDisconnect(found, context);
  return JudgeCaptureAfterDisconnect(returned, returned ? capture.Result() : 0, BoundOf(context));
}
