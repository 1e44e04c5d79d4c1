// PluginCallGate: how many entry-point calls of one plug-in library are running, and whether the
// library still takes new ones.
//
// The process may end (a return from main, an exit() from any library, the toolkit's exit on a
// lost display) while another thread is inside the plug-in. The library must then stay loaded
// under that thread, and no call that starts later may enter it once it may have been unloaded.
// Count and closed mark share one atomic word, so a call that is about to start and the closing
// cannot cross: either the call is counted before the close looks, or it sees the mark and stays
// out.
//
// Thread rules: every operation may run on any thread at any time.
#ifndef VELMORA_UNITS_PLUGIN_CALL_GATE_H_
#define VELMORA_UNITS_PLUGIN_CALL_GATE_H_

#include <stdint.h>

#include <atomic>

class PluginCallGate {
 public:
  // Counts a call that is about to enter the library. False when the gate is closed: the call
  // must not enter, and nothing is counted.
  bool Enter() {
    if ((m_State.fetch_add(1) & kClosed) == 0) return true;
    Leave();
    return false;
  }

  // Ends a call that Enter counted.
  void Leave() { m_State.fetch_sub(1); }

  // Closes the gate for good. True when no call was running at that moment: the library may then
  // be unloaded. False when one runs: the library must stay loaded until the process is gone.
  bool Close() { return (m_State.fetch_or(kClosed) & ~kClosed) == 0; }

  // The calls running now (for tests and diagnostics; it may change at once).
  uint32_t Running() const { return m_State.load() & ~kClosed; }

 private:
  static constexpr uint32_t kClosed = 1u << 31;
  std::atomic<uint32_t> m_State{0};
};

#endif  // VELMORA_UNITS_PLUGIN_CALL_GATE_H_
