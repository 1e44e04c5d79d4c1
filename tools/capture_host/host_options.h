// Command line of velmora-capture-host, the stand-in for the parent process.
//
// Parsing is pure: no output, no exit, so it can be tested and main decides what to print.
// Thread rules: none, nothing is shared.
#ifndef VELMORA_TOOLS_CAPTURE_HOST_HOST_OPTIONS_H_
#define VELMORA_TOOLS_CAPTURE_HOST_HOST_OPTIONS_H_

#include <string>
#include <vector>

#include "capture/capture_exchange.h"

struct HostOptions {
  std::vector<FingerNumber> fingers;  // the enrolled list, in the order given; empty by default
  std::string program;                // the capture program to start
  int timeoutSeconds = 120;           // the program is killed after this long
  bool json = false;                  // one JSON object instead of the human summary
  bool help = false;                  // --help: print the usage and do nothing else
};

// The usage text, ending in a newline.
const char* HostUsage();

// Parses argv[1..argc-1] into *options, starting from the defaults above and defaultProgram.
// Gives true, or false with a one-line reason in *error (unknown option, missing value, a finger
// outside 1..10 or more than 10 of them (a repeated finger is carried along as given), a timeout that is not
// a whole number of seconds from 1 to 86400).
bool ParseHostOptions(int argc, const char* const* argv, const char* defaultProgram, HostOptions* options,
                      std::string* error);

#endif  // VELMORA_TOOLS_CAPTURE_HOST_HOST_OPTIONS_H_
