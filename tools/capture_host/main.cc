// velmora-capture-host: plays the parent process for one capture, so that the capture program
// can be run and tested as it is used.
#include <stdio.h>

#include <string>

#include "capture/capture_exchange.h"
#include "tools/capture_host/host_options.h"
#include "tools/capture_host/host_result.h"
#include "tools/capture_host/host_run.h"

int main(int argc, char** argv) {
  HostOptions options;
  std::string error;
  if (!ParseHostOptions(argc, argv, VELMORA_CAPTURE_PROGRAM, &options, &error)) {
    fprintf(stderr, "velmora-capture-host: %s\n%s", error.c_str(), HostUsage());
    return kHostError;
  }
  if (options.help) {
    fputs(HostUsage(), stdout);
    return 0;
  }
  return RunHost(options, kExchangeKey);
}
