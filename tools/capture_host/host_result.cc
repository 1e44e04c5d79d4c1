#include "tools/capture_host/host_result.h"

#include <string.h>

#include "capture/finger_number.h"

namespace {

std::string HowItEnded(const ChildEnd& end) {
  if (end.timedOut) return "killed after the timeout";
  if (end.exited) return "exited with status " + std::to_string(end.exitStatus);
  return "ended by signal " + std::to_string(end.signal);
}

std::string FingerText(FingerNumber finger) {
  const char* name = FingerName(finger);
  return std::to_string(finger) + (name != nullptr ? std::string(" (") + name + ")" : " (none)");
}

std::string JsonNumberOrNull(bool present, int value) { return present ? std::to_string(value) : "null"; }

std::string JsonFingerName(FingerNumber finger) {
  const char* name = FingerName(finger);
  return name != nullptr ? std::string("\"") + name + "\"" : "null";
}

const char* JsonBool(bool value) { return value ? "true" : "false"; }

}  // namespace

bool RunFinished(const ChildEnd& end, const CaptureExchange& record) {
  return !end.timedOut && end.exited && end.exitStatus == 0 && record.bIsScanDone == 1;
}

bool RecordHasSample(const CaptureExchange& record) {
  return record.sample[0] != 0 || record.SampleSize != 0 || record.UnitCount != 0;
}

int HostExitStatus(const ChildEnd& end, const CaptureExchange& record) {
  if (!RunFinished(end, record)) return kHostNotFinished;
  return RecordHasSample(record) ? kHostSample : kHostNoSample;
}

std::string SampleHex(const CaptureExchange& record) {
  static const char kDigits[] = "0123456789abcdef";
  size_t length = strnlen(reinterpret_cast<const char*>(record.sample), sizeof record.sample);
  std::string hex;
  for (size_t i = 0; i < length; ++i) {
    hex += kDigits[record.sample[i] >> 4];
    hex += kDigits[record.sample[i] & 0xF];
  }
  return hex;
}

std::string FormatSummary(const ChildEnd& end, const CaptureExchange& record) {
  std::string text = "program: " + HowItEnded(end) + "\n";
  text += std::string("done: ") + (record.bIsScanDone == 1 ? "yes" : "no") + "\n";
  if (!RecordHasSample(record)) return text + "sample: none\n";
  text += "sample_size: " + std::to_string(record.SampleSize) + "\n";
  text += "sample: " + SampleHex(record) + "\n";
  text += "finger: " + FingerText(record.selected) + "\n";
  return text + "units: " + std::to_string(record.UnitCount) + "\n";
}

std::string FormatJson(const ChildEnd& end, const CaptureExchange& record) {
  bool signalled = !end.exited;
  std::string text = "{\"exit_status\":" + JsonNumberOrNull(end.exited, end.exitStatus);
  text += ",\"signal\":" + JsonNumberOrNull(signalled, end.signal);
  text += std::string(",\"timed_out\":") + JsonBool(end.timedOut);
  text += std::string(",\"done\":") + JsonBool(record.bIsScanDone == 1);
  text += ",\"sample_size\":" + std::to_string(record.SampleSize);
  text += ",\"sample\":\"" + SampleHex(record) + "\"";
  text += ",\"finger\":" + std::to_string(record.selected);
  text += ",\"finger_name\":" + JsonFingerName(record.selected);
  return text + ",\"units\":" + std::to_string(record.UnitCount) + "}\n";
}
