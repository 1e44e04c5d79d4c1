// A private X server for tests that run real widgets: an Xvfb of its own on a display number that
// the server picks itself, so tests running side by side never share or collide on a display.
//
// Thread rules: start and stop on one thread; the server runs as a child process.
#ifndef VELMORA_TESTS_SUPPORT_PRIVATE_X_SERVER_H_
#define VELMORA_TESTS_SUPPORT_PRIVATE_X_SERVER_H_

#include <sys/types.h>

#include <string>

namespace velmora::test {

class PrivateXServer {
 public:
  // True when an executable "Xvfb" lies on PATH.
  static bool Installed();

  // Starts Xvfb and waits until it has named its display (":N"). False, with the reason in
  // *error, when it did not come up.
  bool Start(std::string* error);

  // The display name, empty before a successful Start.
  const std::string& Display() const { return m_Display; }

  // Ends the server and reaps it. Does nothing when it is not running.
  void Stop();

  ~PrivateXServer() { Stop(); }

 private:
  pid_t m_Pid = -1;
  std::string m_Display;
};

}  // namespace velmora::test

#endif  // VELMORA_TESTS_SUPPORT_PRIVATE_X_SERVER_H_
