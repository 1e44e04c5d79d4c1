#include "tests/support/command_run.h"

#include <stdio.h>
#include <sys/wait.h>

namespace velmora::test {

CommandRun RunCommand(const std::string& command) {
  CommandRun run = {-1, ""};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (size_t count; (count = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, count);
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace velmora::test
