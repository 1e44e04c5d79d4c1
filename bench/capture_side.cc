// The shared timed run (capture_side.h).
#include "bench/capture_side.h"

#include <chrono>
#include <stdexcept>
#include <thread>

#include "tests/support/ridge_image.h"
#include "tests/support/virtual_reader.h"

namespace velmora::bench {
namespace {

using Clock = std::chrono::steady_clock;

void Check(bool ok, const char* step) {
  if (!ok) throw std::runtime_error(std::string(step) + " failed");
}

// Captures on a thread of its own and sends the image once the device awaits the finger.
bool CaptureFed(CaptureSide& side, test::VirtualReader& reader, const std::vector<uint8_t>& image) {
  int seen = test::FingerWaits();
  bool captured = false;
  std::thread capture([&] { captured = side.Capture(); });
  test::AwaitFingerWait(seen);
  reader.SendImage(velmora::test::kPrintWidth, velmora::test::kPrintHeight, image);
  capture.join();
  return captured;
}

}  // namespace

double TimedRun(CaptureSide& side, const std::string& socket, const std::vector<uint8_t>& image) {
  Clock::time_point start = Clock::now();
  Check(side.Connect(), "connect");
  {
    test::VirtualReader reader(socket);  // the driver listens while the device is open
    Check(CaptureFed(side, reader, image), "capture");
    Check(side.Disconnect(), "disconnect");
  }
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace velmora::bench
