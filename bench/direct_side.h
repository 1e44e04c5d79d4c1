// The floor of the libfprint benchmark: a small program of ours that drives the first capture
// reader with libfprint's asynchronous API directly (fp_device_open, fp_device_capture,
// fp_device_close and their _finish), each call waited for by iterating a GMainContext of its
// own until its callback came. It keeps the image in memory and writes nothing.
//
// Benchmark only; thread rules as CaptureSide (capture_side.h). Construct it on a thread that
// can acquire GLib's global default context (libfprint enumerates on it).
#ifndef VELMORA_BENCH_DIRECT_SIDE_H_
#define VELMORA_BENCH_DIRECT_SIDE_H_

#include <fprint.h>

#include "bench/capture_side.h"

namespace velmora::bench {

class DirectSide : public CaptureSide {
 public:
  // Enumerates with a libfprint context of its own. Throws std::runtime_error without a reader.
  DirectSide();
  ~DirectSide() override;
  bool Connect() override;
  bool Capture() override;
  bool Disconnect() override;

 private:
  static void Done(GObject* source, GAsyncResult* result, gpointer self);
  // Runs `start` with the own context pushed and iterates it until Done; gives the result.
  template <typename Start>
  GAsyncResult* Await(Start start);

  FpContext* m_Context;
  FpDevice* m_Device = nullptr;
  GMainContext* m_Loop;
  GAsyncResult* m_Result = nullptr;  // set by Done, taken by Await
};

}  // namespace velmora::bench

#endif  // VELMORA_BENCH_DIRECT_SIDE_H_
