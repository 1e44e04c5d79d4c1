#include "tools/plugin_check/descendants.h"

#include <dirent.h>
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <string>
#include <vector>

namespace {

// The children of every thread of this process, as the kernel lists them.
std::vector<pid_t> Children() {
  std::vector<pid_t> children;
  DIR* tasks = opendir("/proc/self/task");
  if (tasks == nullptr) {
    perror("opendir");
    return children;
  }
  while (const dirent* task = readdir(tasks)) {
    if (task->d_name[0] == '.') continue;
    FILE* list = fopen(("/proc/self/task/" + std::string(task->d_name) + "/children").c_str(), "re");
    if (list == nullptr) continue;
    for (int pid; fscanf(list, "%d", &pid) == 1;) children.push_back(pid);
    fclose(list);
  }
  closedir(tasks);
  return children;
}

// True when `child` was reaped here.
bool Reap(pid_t child) {
  pid_t reaped;
  while ((reaped = waitpid(child, nullptr, 0)) < 0 && errno == EINTR) {
  }
  return reaped == child;
}

}  // namespace

bool AdoptOrphans() {
  if (prctl(PR_SET_CHILD_SUBREAPER, 1) == 0) return true;
  perror("prctl");
  return false;
}

void KillDescendants() {
  for (std::vector<pid_t> children = Children(); !children.empty(); children = Children()) {
    for (pid_t child : children) kill(child, SIGKILL);
    bool reaped = false;
    for (pid_t child : children) reaped = Reap(child) || reaped;
    // A listed child that cannot be reaped here would be listed again for ever.
    if (!reaped) return;
  }
}
