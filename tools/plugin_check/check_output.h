// The two forms of velmora-plugin-check's report: a table for people and one JSON object for
// programs, and the exit status that goes with it.
//
// Plain functions over the reports; the caller writes the text to standard output.
// Thread rules: none.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_CHECK_OUTPUT_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_CHECK_OUTPUT_H_

#include <string>
#include <vector>

#include "tools/plugin_check/check_verdict.h"

// `text` as a JSON string literal, quotes included. Control characters are escaped; bytes that
// are not UTF-8 become U+FFFD, so the result is valid JSON whatever `text` holds.
std::string JsonString(const std::string& text);

// The library's line, a heading, one line per check (id, result, detail; control characters of
// the detail escaped) and a count of the results.
std::string FormatTable(const std::string& library, const std::vector<CheckReport>& reports);

// {"library": ..., "checks": [{"id": ..., "result": ..., "detail": ...}, ...]}, one check per
// line, ending in a newline.
std::string FormatJson(const std::string& library, const std::vector<CheckReport>& reports);

// 1 when a check failed, else 0.
int ExitStatusOf(const std::vector<CheckReport>& reports);

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_CHECK_OUTPUT_H_
