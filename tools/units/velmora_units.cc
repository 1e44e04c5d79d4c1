// velmora-units [--root DIR]: lists the plug-in entries of the configuration root and their units,
// or why the capture program skips an entry. Exit status 0 when a unit was found, 1 when none,
// 2 for a bad command line.
#include <stdio.h>
#include <string.h>

#include "install_paths.h"
#include "tools/units/unit_report.h"

namespace {

int Usage(FILE* out, int status) {
  fprintf(out,
          "usage: velmora-units [--root DIR]\n  lists the fingerprint units of the plug-ins in DIR (default "
          "%s)\n",
          kConfigRoot);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  const char* root = kConfigRoot;
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--help") == 0) return Usage(stdout, 0);
    if (strcmp(argv[i], "--root") != 0 || i + 1 == argc) return Usage(stderr, 2);
    root = argv[++i];
  }
  return ReportUnits(root, stdout) > 0 ? 0 : 1;
}
