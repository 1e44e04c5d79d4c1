// cycles: what repeated Connect/capture/Disconnect cycles leave behind.
#include "tools/plugin_check/cycles_check.h"

#include <string>

#include "tools/plugin_check/plugin_checks.h"
#include "tools/plugin_check/plugin_session.h"
#include "units/capture_call.h"

namespace {

const std::string kOverCycles = " over " + std::to_string(kMeasuredCycles) + " cycles";

// One cycle as the worker runs it; true when the capture succeeded. With `usage`, the process is
// measured right after the connect: a plug-in may finish a disconnect's close in the background,
// and its next connect waits for that, so every measurement finds the plug-in in the same state.
bool Cycle(BioUnit& unit, const std::string& name, const CheckContext& context, ProcessUsage* usage) {
  context.channel.Step(name + ": FpxConnect");
  ConnectForCapture(unit);
  if (usage != nullptr) *usage = MeasureProcessUsage();
  context.channel.Step(name + ": " FPX_SENSOR_CAPTURE_SAMPLE_NAME);
  int32_t captured = CaptureSample(unit).status;
  context.channel.Step(name + ": FpxDisconnect");
  unit.Disconnect();
  return captured == 0;
}

CyclesSeen RunCycles(BioUnit& unit, const CheckContext& context) {
  CyclesSeen seen;
  for (int i = 0; i < kCycles; ++i) {
    std::string name = i < kWarmUpCycles ? "warm-up cycle " + std::to_string(i + 1)
                                         : "cycle " + std::to_string(i - kWarmUpCycles + 1);
    ProcessUsage* usage = i == kWarmUpCycles ? &seen.before : i == kCycles - 1 ? &seen.after : nullptr;
    if (!Cycle(unit, name, context, usage)) ++seen.failed;
  }
  return seen;
}

void JudgeDescriptors(long before, long after, CheckVerdict& verdict) {
  std::string counts = "open descriptors " + std::to_string(before) + " before and " + std::to_string(after) +
                       " after " + std::to_string(kMeasuredCycles) + " cycles";
  if (after - before >= 2)
    verdict.Add(CheckResult::kFail, counts + ": the plug-in loses descriptors");
  else if (after != before)
    verdict.Add(CheckResult::kWarn, counts);
}

void JudgeHeap(size_t before, size_t after, CheckVerdict& verdict) {
  long long growth = static_cast<long long>(after) - static_cast<long long>(before);
  std::string counts = "heap in use grew by " + std::to_string(growth) + " bytes" + kOverCycles;
  if (growth > kHeapFailBytes)
    verdict.Add(CheckResult::kFail, counts + ": the plug-in loses memory");
  else if (growth > kHeapWarnBytes)
    verdict.Add(CheckResult::kWarn, counts);
}

}  // namespace

CheckVerdict JudgeCycles(const CyclesSeen& seen) {
  CheckVerdict verdict;
  JudgeDescriptors(seen.before.descriptors, seen.after.descriptors, verdict);
  JudgeHeap(seen.before.heapBytes, seen.after.heapBytes, verdict);
  if (seen.failed > 0)
    verdict.Add(CheckResult::kWarn,
                std::to_string(seen.failed) + " of " + std::to_string(kCycles) + " captures failed");
  verdict.Add(CheckResult::kPass, kOverCycles.substr(1) + ": open descriptors " +
                                      std::to_string(seen.before.descriptors) + " -> " +
                                      std::to_string(seen.after.descriptors) + ", heap in use " +
                                      std::to_string(seen.before.heapBytes) + " -> " +
                                      std::to_string(seen.after.heapBytes) + " bytes");
  return verdict;
}

// The units stay: a plug-in may still call the prompt sink that came with them after the check.
CheckVerdict CheckCycles(const CheckContext& context) {
  CheckVerdict skipped;
  CheckedUnits& found = DiscoverLastingUnit(context, &skipped);
  if (found.unit == nullptr) return skipped;
  return JudgeCycles(RunCycles(*found.unit, context));
}
