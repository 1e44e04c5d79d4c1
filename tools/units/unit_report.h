// The report of velmora-units: every catalogue entry of a configuration root with its units or
// the reason why the capture program would skip it.
//
// It runs the program's own catalogue scan and takes each entry through the program's own
// discovery (entry_discovery.h), explained: only the reasons are extra. Thread rules: main thread
// only; loads and unloads plug-in libraries.
#ifndef VELMORA_TOOLS_UNITS_UNIT_REPORT_H_
#define VELMORA_TOOLS_UNITS_UNIT_REPORT_H_

#include <stdio.h>

// Writes the report of `root` to `out` and gives the number of units found. `out` is flushed after
// each entry's heading, so that a plug-in's own lines on standard error, which say why it gives
// fewer units, stand under that heading when both streams go to one place.
long ReportUnits(const char* root, FILE* out);

#endif  // VELMORA_TOOLS_UNITS_UNIT_REPORT_H_
