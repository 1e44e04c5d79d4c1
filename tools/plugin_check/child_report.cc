#include "tools/plugin_check/child_report.h"

#include <string.h>

#include <algorithm>

namespace {

constexpr char kStep = 'S';
constexpr char kVerdict = 'V';
constexpr size_t kHeader = 1 + sizeof(uint32_t);

std::string Message(char kind, const std::string& payload) {
  std::string message(1, kind);
  uint32_t length = static_cast<uint32_t>(std::min<size_t>(payload.size(), kMaxPayload));
  message.append(reinterpret_cast<const char*>(&length), sizeof length);
  return message.append(payload, 0, length);
}

std::string Byte(char byte) { return std::to_string(static_cast<unsigned char>(byte)); }

CheckVerdict Failed(const std::string& detail) {
  CheckVerdict verdict;
  verdict.Add(CheckResult::kFail, detail);
  return verdict;
}

std::string SignalText(int signal) {
  const char* name = strsignal(signal);
  return "killed by signal " + std::to_string(signal) + " (" + (name != nullptr ? name : "?") + ")";
}

}  // namespace

std::string StepMessage(const std::string& what) { return Message(kStep, what); }

std::string VerdictMessage(const CheckVerdict& verdict) {
  std::string payload(1, static_cast<char>('0' + static_cast<int>(verdict.result)));
  payload += verdict.unopenable ? '1' : '0';
  return Message(kVerdict, payload + verdict.detail);
}

std::string ForgedText(const std::string& what) {
  return "the check's pipe carried " + what + ": the plug-in writes to a descriptor that is not its own";
}

size_t ChildReport::Take(const char* bytes, size_t size) {
  if (!m_Refusal.empty()) return 0;
  m_Received += size;
  if (m_Received > kMaxReportBytes) {
    m_Refusal = ForgedText("more than " + std::to_string(kMaxReportBytes >> 20) + " MiB");
    return 0;
  }
  m_Buffer.append(bytes, size);
  size_t at = 0, messages = 0;
  for (size_t taken; (taken = TakeOne(at)) > 0; at += taken) ++messages;
  m_Buffer.erase(0, at);
  return messages;
}

size_t ChildReport::TakeOne(size_t at) {
  if (m_Buffer.size() - at < kHeader || !m_Refusal.empty()) return 0;
  char kind = m_Buffer[at];
  uint32_t length;
  memcpy(&length, m_Buffer.data() + at + 1, sizeof length);
  if (kind != kStep && kind != kVerdict)
    m_Refusal = ForgedText("a message of the kind byte " + Byte(kind));
  else if (length > kMaxPayload)
    m_Refusal = ForgedText("a message of " + std::to_string(length) + " bytes, more than " +
                           std::to_string(kMaxPayload));
  if (!m_Refusal.empty() || m_Buffer.size() - at - kHeader < length) return 0;
  std::string payload = m_Buffer.substr(at + kHeader, length);
  m_VerdictLast = false;
  if (kind == kStep) m_LastStep = payload;
  if (kind == kVerdict) TakeVerdict(payload);
  return m_Refusal.empty() ? kHeader + length : 0;
}

void ChildReport::TakeVerdict(const std::string& payload) {
  if (payload.size() < 2)
    m_Refusal = ForgedText("a verdict shorter than 2 bytes");
  else if (payload[0] < '0' || payload[0] > '3')
    m_Refusal = ForgedText("a verdict with the result byte " + Byte(payload[0]));
  else if (payload[1] != '0' && payload[1] != '1')
    m_Refusal = ForgedText("a verdict with the unopenable byte " + Byte(payload[1]));
  if (!m_Refusal.empty()) return;
  m_VerdictLast = true;
  m_Verdict.result = static_cast<CheckResult>(payload[0] - '0');
  m_Verdict.unopenable = payload[1] == '1';
  m_Verdict.detail = payload.substr(2);
}

CheckVerdict JudgeChild(const ChildReport& report, const ChildEnd& end, int timeoutSeconds) {
  if (!report.Refusal().empty()) return Failed(report.Refusal() + report.During());
  if (end.timedOut) return Failed("no answer in " + std::to_string(timeoutSeconds) + " s" + report.During());
  if (!end.exited) return Failed(SignalText(end.signal) + report.During());
  std::string status = std::to_string(end.exitStatus);
  if (!report.HasVerdict())
    return Failed("ended with status " + status + " without a verdict" + report.During());
  if (end.exitStatus != 0)
    return Failed("ended with status " + status + " after its verdict" + report.During());
  return report.Verdict();
}
