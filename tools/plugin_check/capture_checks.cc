// capture-sequence, disconnect-during-capture and capture-after-disconnect: the capture worker's
// calls, and the window's Disconnect from the other thread.
#include <string.h>

#include <string>

#include "capture/capture_exchange.h"
#include "tools/plugin_check/capture_thread.h"
#include "tools/plugin_check/plugin_checks.h"
#include "tools/plugin_check/plugin_session.h"
#include "tools/plugin_check/plugin_text.h"

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

// The sample as the capture program copies it into the parent's record (capture_exchange.h): up
// to its first NUL, at most 255 bytes; SampleSize goes along as reported. The sample's NUL is
// looked for in one byte more than the copy reads, as the plug-in header asks.
void JudgeSample(const unsigned char* sample, int32_t sampleSize, const CheckContext& context,
                 CheckVerdict& verdict) {
  context.channel.Step("reading the sample as the program copies it");
  bool terminated = strnlen(reinterpret_cast<const char*>(sample), kExchangeSampleArea) < kExchangeSampleArea;
  CaptureExchange record = {};
  ExchangeWriteResult(&record, sample, sampleSize, 0, 1);
  size_t copied = strnlen(reinterpret_cast<const char*>(record.sample), kExchangeSampleArea);
  if (!terminated && sampleSize >= kExchangeSampleArea)
    verdict.Add(CheckResult::kWarn,
                "no NUL byte within the first 256 bytes: the parent's record receives the first " +
                    std::to_string(copied) + " of its " + std::to_string(sampleSize) + " bytes");
  else if (!terminated)
    verdict.Add(CheckResult::kFail, "no NUL byte within the sample's first 256 bytes, and SampleSize is " +
                                        std::to_string(sampleSize) +
                                        ": the program reads 255 bytes, past the sample's end");
  if (record.SampleSize != static_cast<int32_t>(copied))
    verdict.Add(CheckResult::kWarn, "SampleSize " + std::to_string(record.SampleSize) +
                                        ", but the parent's record receives " + std::to_string(copied) +
                                        " bytes (up to the first NUL, at most 255)");
  verdict.Add(CheckResult::kPass,
              "sample of " + std::to_string(copied) + " bytes: " + QuoteBytes(record.sample, copied));
}

}  // namespace

CheckVerdict CheckCaptureSequence(const CheckContext& context) {
  CheckVerdict verdict;
  CheckedUnits found = DiscoverCheckedUnit(context, &verdict);
  if (found.unit == nullptr) return verdict;
  context.channel.Step(UnitCall("FpxConnect", found.id, ", 0, 0, 0"));
  int32_t connected = found.unit->Connect(0, 0, 0);
  unsigned char* sample = nullptr;
  int32_t sampleSize = 0;
  int32_t scratch = 0;
  context.channel.Step(UnitCall("FpxSensorCaptureSample", found.id, ", 2, 1, ..."));
  int32_t captured = found.unit->SensorCaptureSample(2, 1, &sample, &sampleSize, &scratch);
  context.channel.Step(UnitCall("FpxDisconnect", found.id));
  int32_t disconnected = found.unit->Disconnect();

  if (connected != 0)
    verdict.Add(CheckResult::kWarn,
                "FpxConnect returned " + Status(connected) + ": the program captures all the same");
  if (captured != 0)
    verdict.Add(CheckResult::kFail,
                "FpxSensorCaptureSample returned " + Status(captured) +
                    " (expected 0): the program logs \"Failed: Capture\" and hands over no sample");
  else if (sample == nullptr)
    verdict.Add(CheckResult::kFail,
                "FpxSensorCaptureSample returned 0 but no sample: the parent receives none");
  else
    JudgeSample(sample, sampleSize, context, verdict);
  if (disconnected != 0)
    verdict.Add(CheckResult::kFail,
                "FpxDisconnect returned " + Status(disconnected) +
                    " (expected 0): the program logs \"Failed: Disconnect\" and its window stays open");
  return verdict;
}

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
  found.unit->Connect(0, 0, 0);
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
