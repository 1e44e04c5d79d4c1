// The test's side of libfprint's virtual_image driver: the client of the UNIX socket that the
// driver listens on while its device is open, and the watch on libfprint's log that tells when
// the device waits for a finger (an image sent at any other time is dropped).
//
// Test support only. UseVirtualReader must run before the plug-in's first enumeration in the
// process; the watch counts from any thread, the client is used by one thread.
#ifndef VELMORA_TESTS_SUPPORT_VIRTUAL_READER_H_
#define VELMORA_TESTS_SUPPORT_VIRTUAL_READER_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velmora::test {

// What libfprint logs (debug) when an image device begins to wait for a finger: the moment to
// send the print.
constexpr const char* kAwaitFingerLine = "to FPI_IMAGE_DEVICE_STATE_AWAIT_FINGER_ON";

// Keeps real readers out, points the virtual driver at a socket in a folder of this process and
// installs the log watch. Gives the socket's path; the same for every call in the process.
const std::string& UseVirtualReader();

// How often the device has begun to wait for a finger so far in this process.
int FingerWaits();

// Blocks until FingerWaits() is greater than `seen`, without a deadline.
void AwaitFingerWait(int seen);

// What libfprint logs (debug) when a driver has closed its device, before the close completes.
constexpr const char* kCloseReportedLine = "Device reported close completion";

// From now on, runs `hold` on whichever thread logs a line that holds `part`, before that thread
// goes on: a test's way to stop a call of libfprint at a known point. An empty `hold` ends it.
void HoldOnLogLine(const std::string& part, std::function<void()> hold);

class VirtualReader {
 public:
  // Connects to the driver's socket; the device must be open. Throws std::runtime_error when not.
  explicit VirtualReader(const std::string& socketPath);
  ~VirtualReader();
  VirtualReader(const VirtualReader&) = delete;
  VirtualReader& operator=(const VirtualReader&) = delete;

  // An image: width, height, then the pixels row by row.
  void SendImage(int32_t width, int32_t height, const std::vector<uint8_t>& pixels);
  // A control message: (-1, code) retry, (-2, code) error, (-5, 0) the device goes away.
  void SendCode(int32_t kind, int32_t code);
  // True once the driver has closed the connection (the device closed), false when it is still
  // open after `milliseconds`. The driver never writes to the client, so readable means closed.
  bool AwaitClosed(int milliseconds);

 private:
  void Send(const void* data, size_t size);
  int m_Fd;
};

}  // namespace velmora::test

#endif  // VELMORA_TESTS_SUPPORT_VIRTUAL_READER_H_
