// Command line of velmora-plugin-check, the plug-in conformance checker.
//
// Parsing is pure: no output, no exit, so it can be tested and main decides what to print.
// Thread rules: none, nothing is shared.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_CHECK_OPTIONS_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_CHECK_OPTIONS_H_

#include <stdint.h>

#include <string>

struct CheckOptions {
  std::string library;      // the plug-in library, passed to the loader as the program passes it
  bool json = false;        // one JSON object instead of the table
  bool hasUnit = false;     // --unit given: the capture checks use `unit`
  uint32_t unit = 0;        // otherwise they use the first id that the plug-in lists
  int timeoutSeconds = 10;  // a check (or one step of it) that is silent this long fails
  int slowFactor = 1;       // the disconnect checks' time bound multiplied by this (1 to 100)
  bool noCapture = false;   // skip the checks that need a finger on the reader
  bool help = false;        // --help: print the usage and do nothing else
};

// The usage text, ending in a newline.
const char* CheckUsage();

// Parses argv[1..argc-1] into *options. Gives true, or false with a one-line reason in *error:
// an unknown option, a missing value, a unit that is no number from 0 to 4294967295, a timeout
// that is no whole number of seconds from 1 to 3600, a slow factor that is no whole number from 1
// to 100, no library or more than one.
bool ParseCheckOptions(int argc, const char* const* argv, CheckOptions* options, std::string* error);

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_CHECK_OPTIONS_H_
