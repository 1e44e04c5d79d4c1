// A C++ plug-in whose capture waits on a condition variable of namespace scope until its unit is
// disconnected, as a driver waiting for its device's interrupt does. The C++ runtime registers the
// variable's destructor when the library loads; run while the capture waits, it blocks for good
// (the C library's destroy waits for the waiter). The program must never let that happen.
//
// When VELMORA_TP_TRACE names a file, the capture appends "waiting" to it as it starts to wait.
// TpIsWaiting tells a test in the same process that the capture is inside the wait.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>

#include "velmora/fpx_plugin.h"

namespace {

std::mutex g_Lock;
std::condition_variable g_Wakeup;
bool g_Disconnected = false;  // guarded by g_Lock
bool g_Waiting = false;       // guarded by g_Lock

uint32_t g_Ids[] = {1};
char g_Text1[] = "waiting reader";
char g_Text2[] = "cxx";
unsigned char g_Sample[] = "waited";

void TraceWaiting() {
  const char* path = getenv("VELMORA_TP_TRACE");
  if (path == nullptr) return;
  int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  static const char kLine[] = "waiting\n";
  if (write(fd, kLine, sizeof kLine - 1) < 0) {
    // Only a trace: the capture waits all the same.
  }
  close(fd);
}

}  // namespace

extern "C" {

FPX_EXPORT int32_t FpxEnumUnits(uint32_t** unitIds, uint32_t* count) {
  *unitIds = g_Ids;
  *count = 1;
  return 0;
}

FPX_EXPORT int32_t FpxGetInfo(uint32_t, UnitInfo* info) {
  *info = UnitInfo{g_Text1, g_Text2, 0, 0, 0, 0};
  return 0;
}

FPX_EXPORT int32_t FpxConnect(uint32_t, int32_t, int32_t, int32_t) {
  std::lock_guard<std::mutex> hold(g_Lock);
  g_Disconnected = false;
  return 0;
}

FPX_EXPORT int32_t FpxDisconnect(uint32_t) {
  std::lock_guard<std::mutex> hold(g_Lock);
  g_Disconnected = true;
  g_Wakeup.notify_all();
  return 0;
}

FPX_EXPORT int32_t FpxCancel(uint32_t unitId) { return FpxDisconnect(unitId); }

FPX_EXPORT int32_t FpxSensorCaptureSample(uint32_t, int32_t, int32_t, unsigned char** sample,
                                          int32_t* sampleSize, int32_t*) {
  std::unique_lock<std::mutex> hold(g_Lock);
  TraceWaiting();
  g_Waiting = true;
  g_Wakeup.wait(hold, [] { return g_Disconnected; });
  g_Waiting = false;
  *sample = g_Sample;
  *sampleSize = sizeof g_Sample;
  return 1;
}

FPX_EXPORT int32_t FpxExtractSample(uint32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                                    int32_t) {
  return 0;
}

// The id list and texts are static: nothing to release.
FPX_EXPORT int32_t FpxFree(void*) { return 0; }

// True once the capture has released the lock inside the wait.
FPX_EXPORT bool TpIsWaiting() {
  std::lock_guard<std::mutex> hold(g_Lock);
  return g_Waiting;
}

}  // extern "C"
