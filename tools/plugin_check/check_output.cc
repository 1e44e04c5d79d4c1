#include "tools/plugin_check/check_output.h"

#include <stdio.h>

#include <algorithm>

#include "tools/plugin_check/plugin_text.h"

namespace {

std::string JsonEscape(unsigned char byte) {
  switch (byte) {
    case '"':
      return "\\\"";
    case '\\':
      return "\\\\";
    case '\n':
      return "\\n";
    case '\r':
      return "\\r";
    case '\t':
      return "\\t";
    case '\b':
      return "\\b";
    case '\f':
      return "\\f";
  }
  char escaped[7];
  snprintf(escaped, sizeof escaped, "\\u%04x", byte);
  return escaped;
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string json = "\"";
  for (size_t i = 0; i < text.size();) {
    unsigned char byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      if (byte < 0x20 || byte == '"' || byte == '\\')
        json += JsonEscape(byte);
      else
        json += static_cast<char>(byte);
      ++i;
      continue;
    }
    size_t length = Utf8SequenceLength(text, i);
    json += length > 0 ? text.substr(i, length) : "\\ufffd";
    i += std::max<size_t>(length, 1);
  }
  return json + "\"";
}

std::string FormatTable(const std::string& library, const std::vector<CheckReport>& reports) {
  size_t width = 5;  // "check"
  for (const CheckReport& report : reports) width = std::max(width, report.id.size());
  auto row = [width](const std::string& id, const std::string& result, const std::string& detail) {
    std::string line = id + std::string(width - id.size() + 2, ' ') + result;
    if (!detail.empty()) line += std::string(8 - result.size(), ' ') + detail;
    return line + "\n";
  };
  std::string table = "library: " + OneLine(library) + "\n" + row("check", "result", "detail");
  int counts[4] = {};
  for (const CheckReport& report : reports) {
    table += row(report.id, CheckResultName(report.verdict.result), OneLine(report.verdict.detail));
    ++counts[static_cast<int>(report.verdict.result)];
  }
  char summary[128];
  snprintf(summary, sizeof summary, "%zu checks: %d pass, %d warn, %d fail, %d skip\n", reports.size(),
           counts[static_cast<int>(CheckResult::kPass)], counts[static_cast<int>(CheckResult::kWarn)],
           counts[static_cast<int>(CheckResult::kFail)], counts[static_cast<int>(CheckResult::kSkip)]);
  return table + summary;
}

std::string FormatJson(const std::string& library, const std::vector<CheckReport>& reports) {
  std::string json = "{\"library\": " + JsonString(library) + ", \"checks\": [";
  for (size_t i = 0; i < reports.size(); ++i) {
    const CheckReport& report = reports[i];
    json += std::string(i == 0 ? "\n" : ",\n") + "  {\"id\": " + JsonString(report.id) +
            ", \"result\": " + JsonString(CheckResultName(report.verdict.result)) +
            ", \"detail\": " + JsonString(report.verdict.detail) + "}";
  }
  return json + "\n]}\n";
}

int ExitStatusOf(const std::vector<CheckReport>& reports) {
  for (const CheckReport& report : reports)
    if (report.verdict.result == CheckResult::kFail) return 1;
  return 0;
}
