// Running a command for a test: what it printed on standard output and how it ended. RunProgram
// starts the program itself, with its arguments as given; RunCommand hands a command line to the
// shell, for the tests whose subject is a shell's view of a program.
//
// Thread rules: any thread; each call starts and reaps its own child, and the pipe it reads is
// closed on exec, so that children that other threads start do not hold it open.
#ifndef VELMORA_TESTS_SUPPORT_COMMAND_RUN_H_
#define VELMORA_TESTS_SUPPORT_COMMAND_RUN_H_

#include <string>
#include <vector>

namespace velmora::test {

struct CommandRun {
  int status;       // the exit status, or -1 when the child did not exit normally or did not start
  std::string out;  // everything written to standard output
};

// Where the child's standard error goes.
enum class ErrorStream {
  kInherited,  // the test's own
  kDiscarded,  // /dev/null
  kMerged,     // into `out`, with standard output
};

// Runs argv[0] (looked up in PATH) with the arguments argv, without a shell, and waits for it.
CommandRun RunProgram(const std::vector<std::string>& argv, ErrorStream error = ErrorStream::kInherited);

// Runs `command` through /bin/sh and waits for it.
CommandRun RunCommand(const std::string& command);

}  // namespace velmora::test

#endif  // VELMORA_TESTS_SUPPORT_COMMAND_RUN_H_
