// velmora-plugin-check [--json] [--unit ID] [--timeout SECONDS] [--no-capture] LIBRARY: checks a
// reader plug-in against the contract of velmora-capture, each check in a child process of its
// own, and says where the plug-in breaks it. Exit status 0 when no check failed, 1 when one did,
// 2 for a bad command line or a library that cannot be opened.
#include <stdio.h>

#include <string>
#include <vector>

#include "tools/plugin_check/check_options.h"
#include "tools/plugin_check/check_output.h"
#include "tools/plugin_check/check_plan.h"

int main(int argc, char** argv) {
  CheckOptions options;
  std::string error;
  if (!ParseCheckOptions(argc, argv, &options, &error)) {
    fprintf(stderr, "velmora-plugin-check: %s\n%s", error.c_str(), CheckUsage());
    return 2;
  }
  if (options.help) {
    fputs(CheckUsage(), stdout);
    return 0;
  }
  std::vector<CheckReport> reports;
  std::string unopenable;
  if (!RunPluginChecks(options, &reports, &unopenable)) {
    fprintf(stderr, "velmora-plugin-check: cannot open %s: %s\n", options.library.c_str(),
            unopenable.c_str());
    return 2;
  }
  std::string report =
      options.json ? FormatJson(options.library, reports) : FormatTable(options.library, reports);
  fputs(report.c_str(), stdout);
  return ExitStatusOf(reports);
}
