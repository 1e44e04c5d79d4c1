// A gate on the opening of files in one folder (fanotify's permission events): the first open
// of a file there, by any thread or process, is held until the test lets it through. A test uses
// it to act at a fixed point inside a call that writes into that folder, without clocks.
//
// Test support only; needs root (CAP_SYS_ADMIN). One thread uses the gate.
#ifndef VELMORA_TESTS_SUPPORT_OPEN_GATE_H_
#define VELMORA_TESTS_SUPPORT_OPEN_GATE_H_

#include <string>

namespace velmora::test {

class OpenGate {
 public:
  // Starts holding opens of files in `folder`, which must exist. Throws std::runtime_error when
  // fanotify is not available.
  explicit OpenGate(const std::string& folder);
  // Lets every held open through and stops holding.
  ~OpenGate();
  OpenGate(const OpenGate&) = delete;
  OpenGate& operator=(const OpenGate&) = delete;

  // Blocks until a file in the folder is being opened; that open stays held. Without a deadline.
  void AwaitOpen();
  // Lets the held open through and stops holding.
  void Release();

 private:
  int m_Fd;
  int m_Held = -1;  // the held event's descriptor
};

}  // namespace velmora::test

#endif  // VELMORA_TESTS_SUPPORT_OPEN_GATE_H_
