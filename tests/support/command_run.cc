#include "tests/support/command_run.h"

#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace velmora::test {

namespace {

// The child's standard output is the pipe's write end; standard error as `error` says.
void RouteStreams(posix_spawn_file_actions_t* actions, int writeEnd, ErrorStream error) {
  posix_spawn_file_actions_adddup2(actions, writeEnd, STDOUT_FILENO);
  if (error == ErrorStream::kMerged) posix_spawn_file_actions_adddup2(actions, writeEnd, STDERR_FILENO);
  if (error == ErrorStream::kDiscarded)
    posix_spawn_file_actions_addopen(actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
}

pid_t Spawn(const std::vector<std::string>& argv, int writeEnd, ErrorStream error) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  RouteStreams(&actions, writeEnd, error);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int ExitStatusOf(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

CommandRun RunProgram(const std::vector<std::string>& argv, ErrorStream error) {
  CommandRun run = {-1, ""};
  int ends[2];
  if (argv.empty() || pipe2(ends, O_CLOEXEC) != 0) return run;
  pid_t pid = Spawn(argv, ends[1], error);
  close(ends[1]);
  char buffer[4096];
  for (ssize_t count; (count = read(ends[0], buffer, sizeof buffer)) != 0;) {
    if (count > 0) run.out.append(buffer, count);
    if (count < 0 && errno != EINTR) break;
  }
  close(ends[0]);
  if (pid > 0) run.status = ExitStatusOf(pid);
  return run;
}

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
