// cycles: what repeated Connect/capture/Disconnect cycles leave behind.
#include <string>

#include "tools/plugin_check/plugin_checks.h"
#include "tools/plugin_check/plugin_session.h"
#include "tools/plugin_check/process_usage.h"
#include "units/capture_call.h"

namespace {

// The first cycles may fill caches and start threads that stay; they are not counted.
constexpr int kWarmUpCycles = 3;
constexpr int kMeasuredCycles = 20;
// Heap growth over the measured cycles: above the first a reader maker should look, above the
// second memory is lost in every cycle.
constexpr long long kHeapWarnBytes = 4 * 1024;
constexpr long long kHeapFailBytes = 64 * 1024;

// One cycle as the worker runs it; true when the capture succeeded. With `usage`, the process is
// measured right after the connect: a plug-in may finish a disconnect's close in the background,
// and its next connect waits for that, so every measurement finds the plug-in in the same state.
bool Cycle(BioUnit& unit, const std::string& name, const CheckContext& context, ProcessUsage* usage) {
  context.channel.Step(name + ": FpxConnect");
  ConnectForCapture(unit);
  if (usage != nullptr) *usage = MeasureProcessUsage();
  context.channel.Step(name + ": FpxSensorCaptureSample");
  int32_t captured = CaptureSample(unit).status;
  context.channel.Step(name + ": FpxDisconnect");
  unit.Disconnect();
  return captured == 0;
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
  std::string counts = "heap in use grew by " + std::to_string(growth) + " bytes over " +
                       std::to_string(kMeasuredCycles) + " cycles";
  if (growth > kHeapFailBytes)
    verdict.Add(CheckResult::kFail, counts + ": the plug-in loses memory");
  else if (growth > kHeapWarnBytes)
    verdict.Add(CheckResult::kWarn, counts);
}

}  // namespace

CheckVerdict CheckCycles(const CheckContext& context) {
  CheckVerdict verdict;
  CheckedUnits found = DiscoverCheckedUnit(context, &verdict);
  if (found.unit == nullptr) return verdict;
  int failed = 0;
  ProcessUsage before;
  ProcessUsage after;
  // The last cycle only ends the measured ones: kMeasuredCycles lie between the two measurements.
  constexpr int kCycles = kWarmUpCycles + kMeasuredCycles + 1;
  for (int i = 0; i < kCycles; ++i) {
    std::string name = i < kWarmUpCycles ? "warm-up cycle " + std::to_string(i + 1)
                                         : "cycle " + std::to_string(i - kWarmUpCycles + 1);
    ProcessUsage* usage = i == kWarmUpCycles ? &before : i == kCycles - 1 ? &after : nullptr;
    if (!Cycle(*found.unit, name, context, usage)) ++failed;
  }
  JudgeDescriptors(before.descriptors, after.descriptors, verdict);
  JudgeHeap(before.heapBytes, after.heapBytes, verdict);
  if (failed > 0)
    verdict.Add(CheckResult::kWarn,
                std::to_string(failed) + " of " + std::to_string(kCycles) + " captures failed");
  verdict.Add(CheckResult::kPass, "over " + std::to_string(kMeasuredCycles) + " cycles: open descriptors " +
                                      std::to_string(before.descriptors) + " -> " +
                                      std::to_string(after.descriptors) + ", heap in use " +
                                      std::to_string(before.heapBytes) + " -> " +
                                      std::to_string(after.heapBytes) + " bytes");
  return verdict;
}
