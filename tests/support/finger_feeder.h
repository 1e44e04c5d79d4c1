// A finger for every capture on libfprint's virtual_image reader, in whatever process the reader
// is open: a thread reads libfprint's debug lines of those processes and, each time a device
// begins to wait for a finger, sends the synthetic print over the driver's socket. An image sent
// at any other time would be dropped (and kept by the driver), so none is sent then.
//
// The processes run with G_MESSAGES_DEBUG=libfprint-image_device and their standard error led into
// LogFd(); lines other than debug lines are passed on to this process's standard error.
//
// Test support only. Construct and destroy it on one thread; the feeding runs on its own.
#ifndef VELMORA_TESTS_SUPPORT_FINGER_FEEDER_H_
#define VELMORA_TESTS_SUPPORT_FINGER_FEEDER_H_

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace velmora::test {

class VirtualReader;

class FingerFeeder {
 public:
  // Starts reading the log for the reader at `socketPath`. Throws std::runtime_error when the
  // pipe cannot be made.
  explicit FingerFeeder(const std::string& socketPath);
  // Stops feeding and waits for the thread.
  ~FingerFeeder();
  FingerFeeder(const FingerFeeder&) = delete;
  FingerFeeder& operator=(const FingerFeeder&) = delete;

  // The end of the pipe that the reader's processes write their standard error to; it is
  // inherited by child processes ("2>&N").
  int LogFd() const { return m_LogWrite; }

  // How many prints have been sent so far.
  int Sent() const { return m_Sent.load(); }

 private:
  void Run();
  // Takes the complete lines out of `pending`; sends a print for each wait for a finger.
  void TakeLines(std::string& pending);

  std::string m_Socket;
  int m_LogRead;
  int m_LogWrite;
  int m_Stop;  // eventfd, readable once the feeder stops
  std::atomic<int> m_Sent{0};
  // The connection of the last print, open until the next one: the driver closes it with the device.
  std::unique_ptr<VirtualReader> m_Reader;
  std::thread m_Thread;
};

}  // namespace velmora::test

#endif  // VELMORA_TESTS_SUPPORT_FINGER_FEEDER_H_
