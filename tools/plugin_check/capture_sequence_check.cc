// capture-sequence: the worker's connect, capture and disconnect on one unit.
#include "tools/plugin_check/capture_sequence_check.h"

#include <string.h>

#include "capture/capture_exchange.h"
#include "tools/plugin_check/call_text.h"
#include "tools/plugin_check/plugin_checks.h"
#include "tools/plugin_check/plugin_session.h"
#include "tools/plugin_check/plugin_text.h"
#include "units/capture_call.h"

namespace {

constexpr size_t kArea = kExchangeSampleArea;
const std::string kAreaText = std::to_string(kArea);
const std::string kCopiedText = std::to_string(kArea - 1);
const std::string kCaptureName = FPX_SENSOR_CAPTURE_SAMPLE_NAME;

void JudgeUnterminated(const SeenSample& sample, CheckVerdict& verdict) {
  std::string size = std::to_string(sample.sampleSize);
  if (sample.sampleSize >= static_cast<int32_t>(kArea))
    verdict.Add(CheckResult::kFail, "no NUL byte within the sample's first " + kAreaText +
                                        " bytes: the parent's record receives the first " +
                                        std::to_string(sample.copied.size()) + " of its " + size + " bytes");
  else
    verdict.Add(CheckResult::kFail, "no NUL byte within the sample's first " + kAreaText +
                                        " bytes, and SampleSize is " + size + ": the program reads " +
                                        kCopiedText + " bytes, past the sample's end");
}

void JudgeSample(const SeenSample& sample, CheckVerdict& verdict) {
  if (!sample.terminated) JudgeUnterminated(sample, verdict);
  if (sample.recordSize != static_cast<int32_t>(sample.copied.size()))
    verdict.Add(CheckResult::kWarn, "SampleSize " + std::to_string(sample.recordSize) +
                                        ", but the parent's record receives " +
                                        std::to_string(sample.copied.size()) +
                                        " bytes (up to the first NUL, at most " + kCopiedText + ")");
  const auto* bytes = reinterpret_cast<const unsigned char*>(sample.copied.data());
  verdict.Add(CheckResult::kPass, "sample of " + std::to_string(sample.copied.size()) +
                                      " bytes: " + QuoteBytes(bytes, sample.copied.size()));
}

void JudgeCapture(const CaptureSequenceSeen& seen, CheckVerdict& verdict) {
  if (seen.captured != 0)
    verdict.Add(CheckResult::kFail,
                kCaptureName + " returned " + StatusText(seen.captured) +
                    " (expected 0): the program logs \"Failed: Capture\" and hands over no sample");
  else if (!seen.sample.given)
    verdict.Add(CheckResult::kFail, kCaptureName + " returned 0 but no sample: the parent receives none");
  else
    JudgeSample(seen.sample, verdict);
}

}  // namespace

SeenSample CopySample(const unsigned char* bytes, int32_t sampleSize) {
  SeenSample seen;
  seen.given = true;
  seen.sampleSize = sampleSize;
  seen.terminated = strnlen(reinterpret_cast<const char*>(bytes), kArea) < kArea;
  CaptureExchange record = {};
  ExchangeWriteResult(&record, bytes, sampleSize, 0, 1);
  size_t copied = strnlen(reinterpret_cast<const char*>(record.sample), kArea);
  seen.copied.assign(reinterpret_cast<const char*>(record.sample), copied);
  seen.recordSize = record.SampleSize;
  return seen;
}

CheckVerdict JudgeCaptureSequence(const CaptureSequenceSeen& seen) {
  CheckVerdict verdict;
  if (seen.connected != 0)
    verdict.Add(CheckResult::kWarn,
                "FpxConnect returned " + StatusText(seen.connected) + ": the program captures all the same");
  JudgeCapture(seen, verdict);
  if (seen.disconnected != 0)
    verdict.Add(CheckResult::kFail,
                "FpxDisconnect returned " + StatusText(seen.disconnected) +
                    " (expected 0): the program logs \"Failed: Disconnect\" and its window stays open");
  return verdict;
}

// The sample is read before the disconnect: it need not outlive it. The units stay: a plug-in may
// still call the prompt sink that came with them after the check.
CheckVerdict CheckCaptureSequence(const CheckContext& context) {
  CheckVerdict skipped;
  CheckedUnits& found = DiscoverLastingUnit(context, &skipped);
  if (found.unit == nullptr) return skipped;
  CaptureSequenceSeen seen;
  context.channel.Step(ConnectCallText(found.id));
  seen.connected = ConnectForCapture(*found.unit);
  context.channel.Step(CaptureCallText(found.id));
  CapturedSample captured = CaptureSample(*found.unit);
  seen.captured = captured.status;
  if (captured.status == 0 && captured.sample != nullptr) {
    context.channel.Step("reading the sample as the program copies it");
    seen.sample = CopySample(captured.sample, captured.sampleSize);
  }
  context.channel.Step(CallText(FPX_DISCONNECT_NAME, found.id));
  seen.disconnected = found.unit->Disconnect();
  return JudgeCaptureSequence(seen);
}
