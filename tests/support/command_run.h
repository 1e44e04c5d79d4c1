// Running a command line for a test: what it printed on standard output and how it ended.
//
// Thread rules: any thread; each call starts its own shell.
#ifndef VELMORA_TESTS_SUPPORT_COMMAND_RUN_H_
#define VELMORA_TESTS_SUPPORT_COMMAND_RUN_H_

#include <string>

namespace velmora::test {

struct CommandRun {
  int status;       // the exit status, or -1 when the shell did not exit normally or did not start
  std::string out;  // everything written to standard output
};

// Runs `command` through /bin/sh and waits for it.
CommandRun RunCommand(const std::string& command);

}  // namespace velmora::test

#endif  // VELMORA_TESTS_SUPPORT_COMMAND_RUN_H_
