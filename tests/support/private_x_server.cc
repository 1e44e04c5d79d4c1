#include "tests/support/private_x_server.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>

namespace velmora::test {

namespace {

// The server's chatter about keyboard maps and fonts would bury the test output. Without
// -noreset the server resets whenever its last client leaves, and a client that connects during
// the reset is refused: a test that polls for a window would race the program it waits for.
[[noreturn]] void ExecServer(int displayFd) {
  int quiet = open("/dev/null", O_WRONLY);
  dup2(quiet, STDOUT_FILENO);
  dup2(quiet, STDERR_FILENO);
  std::string fd = std::to_string(displayFd);
  execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-noreset", "-nolisten", "tcp", "-screen", "0",
         "640x480x24", static_cast<char*>(nullptr));
  _exit(127);
}

// Reads the display number up to its newline; empty when the server ended first.
std::string ReadDisplayNumber(int fd) {
  std::string number;
  char c;
  while (read(fd, &c, 1) == 1 && c != '\n') number += c;
  return number;
}

}  // namespace

bool PrivateXServer::Installed() {
  const char* path = getenv("PATH");
  std::istringstream folders(path ? path : "");
  for (std::string folder; std::getline(folders, folder, ':');)
    if (!folder.empty() && access((folder + "/Xvfb").c_str(), X_OK) == 0) return true;
  return false;
}

bool PrivateXServer::Start(std::string* error) {
  int fds[2];
  if (pipe(fds) != 0) {
    *error = "pipe failed";
    return false;
  }
  m_Pid = fork();
  if (m_Pid == 0) {
    close(fds[0]);
    ExecServer(fds[1]);
  }
  close(fds[1]);
  std::string number = m_Pid > 0 ? ReadDisplayNumber(fds[0]) : "";
  close(fds[0]);
  if (number.empty()) {
    Stop();
    *error = "Xvfb did not name a display";
    return false;
  }
  m_Display = ":" + number;
  return true;
}

void PrivateXServer::Stop() {
  if (m_Pid <= 0) return;
  kill(m_Pid, SIGTERM);
  waitpid(m_Pid, nullptr, 0);
  m_Pid = -1;
  m_Display.clear();
}

}  // namespace velmora::test
