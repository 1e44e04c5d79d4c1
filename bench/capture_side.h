// One reader driven through connect, capture and disconnect, and the timed run that both sides of
// the libfprint benchmark share: the same virtual reader, the same wait for the finger, the same
// image, so that only the calls under test differ.
//
// Benchmark only. Connect and Disconnect run on the calling thread; Capture on a thread of its
// own, as the capture program's worker runs it; never two calls at once.
#ifndef VELMORA_BENCH_CAPTURE_SIDE_H_
#define VELMORA_BENCH_CAPTURE_SIDE_H_

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::bench {

// A side holds a reader or a loaded plug-in, which no copy may share.
class CaptureSide {
 public:
  CaptureSide() = default;
  CaptureSide(const CaptureSide&) = delete;
  CaptureSide& operator=(const CaptureSide&) = delete;
  virtual ~CaptureSide() = default;
  virtual bool Connect() = 0;
  virtual bool Capture() = 0;  // waits for the finger; true when an image came
  virtual bool Disconnect() = 0;
};

// Connects, captures `image` fed over the virtual reader's socket once libfprint logs that the
// device awaits the finger, disconnects; gives the wall-clock milliseconds of the whole. Throws
// std::runtime_error when a step fails.
double TimedRun(CaptureSide& side, const std::string& socket, const std::vector<uint8_t>& image);

}  // namespace velmora::bench

#endif  // VELMORA_BENCH_CAPTURE_SIDE_H_
